// The overlay over frames a neighbour describes: DescribeFrame on any media
// type and a sample whose buffer (or companion planes) has exactly its stated
// size, then DrawLogo and BlendImage onto what it described; and buffers of
// the overlay's own for any layout, blended onto.
#include <stdint.h>

#include <memory>

#include "dravik/dravik.h"
#include "fuzz/finding.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_media_type.h"
#include "overlay/aligned_buffer.h"
#include "overlay/frame_buffer.h"
#include "overlay/frame_description.h"
#include "overlay/logo_blend.h"
#include "overlay/logo_image.h"
#include "overlay/pixel_formats.h"
#include "tests/overlay/test_media_sample.h"
#include "tests/overlay/test_planar_sample.h"

namespace {

// Large enough for small frames of every format, small enough to stay fast.
constexpr LONG LargestBuffer = 1 << 20;

// The helper's own logo, built once as the filter builds it.
const VideoFrameLayout& Logo() {
    static VideoFrameLayout logo = [] {
        VideoFrameLayout built{};
        built.width = LogoImageWidth;
        built.height = LogoImageHeight;
        if (!BuildLogoImage(&built)) Finding("the logo could not be built");
        return built;
    }();
    return logo;
}

// An RGBA image of the input's size and alphas, in a buffer of exactly its size.
struct FuzzImage {
    explicit FuzzImage(FuzzInput& input) {
        layout.width = 1 + static_cast<LONG>(input.Pick(300));
        layout.height = 1 + static_cast<LONG>(input.Pick(64));
        layout.bitCount = 32;
        layout.fourcc = FourccRgba;
        LONG size = 0;
        if (!FrameBufferSize(&layout, &size)) Finding("an RGBA image has no buffer size");
        pixels.reset(new BYTE[size]);
        const BYTE alpha = input.Byte();
        for (LONG at = 0; at < size; ++at) pixels[at] = static_cast<BYTE>(at % 4 == 3 ? alpha * (at / 4 % 3) : at);
        if (!AttachFrameBuffer(&layout, pixels.get())) Finding("an RGBA image could not be laid out");
    }
    VideoFrameLayout layout{};
    std::unique_ptr<BYTE[]> pixels;
};

void BlendOnto(FuzzInput& input, const VideoFrameLayout& frame) {
    DrawLogo(&frame, &Logo());
    FuzzImage image(input);
    BlendImage(&frame, &image.layout, input.Quantity(4096), input.Quantity(4096));
}

void DescribeAndDraw(FuzzInput& input) {
    FuzzMediaType type(input);
    const LONG size = static_cast<LONG>(input.Raw<uint32_t>() % (LargestBuffer + 1));
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    memset(buffer.get(), 0x80, static_cast<size_t>(size));
    // Planes elsewhere than the sample's buffer, each of exactly its size.
    std::unique_ptr<BYTE[]> elsewhere[3];

    CTestPlanarSample planar(buffer.get(), size);
    CTestMediaSample plain(buffer.get(), size);
    IMediaSample* sample = nullptr;
    switch (input.Pick(4)) {
        case 0:
            break;
        case 1:
            sample = &plain;
            plain.SetPointerResult(input.Pick(4) == 0 ? E_FAIL : S_OK);
            break;
        default:
            sample = &planar;
            for (LONG index = 0; index < 3; ++index) {
                BYTE* plane = nullptr;
                switch (input.Pick(4)) {
                    case 0:
                        break;
                    case 1: {
                        const size_t length = input.Raw<uint16_t>();
                        elsewhere[index].reset(new BYTE[length]);
                        plane = elsewhere[index].get();
                        break;
                    }
                    default:
                        plane = buffer.get() + input.Raw<uint32_t>() % (static_cast<uint32_t>(size) + 1);
                        break;
                }
                planar.SetPlane(index, plane, input.Quantity(8192));
            }
            if (input.Pick(8) == 0) planar.FailPlane(static_cast<LONG>(input.Pick(3)));
            break;
    }

    VideoFrameLayout frame{};
    if (DescribeFrame(&frame, type.Get(), sample)) BlendOnto(input, frame);
    if (plain.RefCount() != 1 || planar.RefCount() != 1) Finding("a sample reference kept or lost");
}

void OwnBuffer(FuzzInput& input) {
    VideoFrameLayout frame{};
    frame.width = input.Quantity(2048);
    frame.height = input.Quantity(2048);
    frame.bitCount = input.Pick(4) == 0 ? input.Quantity(64) : 8 * static_cast<LONG>(input.Pick(5)) + 12 * input.Flag();
    frame.fourcc = FuzzFourcc(input);
    LONG size = 0;
    if (!FrameBufferSize(&frame, &size)) return;
    if (size <= 0) Finding("a buffer size that is not positive");
    if (size > 16 * LargestBuffer) return;
    BYTE* buffer = AllocateAlignedBuffer(size);
    if (buffer == nullptr) return;
    if (!AttachFrameBuffer(&frame, buffer)) Finding("a layout whose size was counted could not be laid out");
    BlendOnto(input, frame);
    FreeAlignedBuffer(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    if (input.Flag()) {
        OwnBuffer(input);
    } else {
        DescribeAndDraw(input);
    }
    return 0;
}
