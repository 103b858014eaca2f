// Media types and frames that lie: nothing outside a buffer is read or
// written, and the frame is refused or left alone.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <vector>

#include "overlay/frame_description.h"
#include "overlay/logo_blend.h"
#include "overlay/pixel_formats.h"
#include "tests/overlay/test_media_sample.h"
#include "tests/overlay/test_media_types.h"
#include "tests/overlay/test_planar_sample.h"

namespace {

bool DescribeOver(TestMediaType& type, BYTE* buffer, LONG size, VideoFrameLayout* frame) {
    CTestMediaSample sample(buffer, size);
    const bool described = DescribeFrame(frame, type.Get(), &sample);
    EXPECT_EQ(1u, sample.RefCount());
    return described;
}

// The format block is read only inside cbFormat; the exact-size heap block
// lets the sanitizer see any byte beyond it.
TEST(UnsafeFormatBlock, MissingOrShortBlocksAreRefused) {
    const TestMediaType types[] = {VideoInfoType(64, 64, 32, BI_RGB), VideoInfo2Type(64, 64, 32, BI_RGB),
                                   PlanarVideoType(64, 64, 12, FourccP420, 3)};
    for (const TestMediaType& full : types) {
        TestMediaType whole = full;
        VideoFrameLayout frame{};
        const size_t size = whole.Format().size();
        ASSERT_TRUE(DescribeFrame(&frame, whole.Get(), nullptr)) << size;

        TestMediaType missing = full;
        missing.Format().clear();
        frame = {};
        EXPECT_FALSE(DescribeFrame(&frame, missing.Get(), nullptr)) << size;

        TestMediaType shorter = full;
        shorter.Format().resize(size - 1);
        shorter.Format().shrink_to_fit();
        frame = {};
        EXPECT_FALSE(DescribeFrame(&frame, shorter.Get(), nullptr)) << size;

        // A size that claims more than the pointer holds is the type's owner's
        // lie; a null pointer with a size is ours to refuse.
        AM_MEDIA_TYPE nullBlock = *whole.Get();
        nullBlock.pbFormat = nullptr;
        frame = {};
        EXPECT_FALSE(DescribeFrame(&frame, &nullBlock, nullptr)) << size;
    }
}

struct SizeCase {
    const char* name;
    DWORD fourcc;
    WORD bitCount;
    LONG height;
    LONG exactSize;
};

// The smallest buffers that hold each frame, as DescribeFrame lays them out.
const SizeCase SizeCases[] = {
    {"RGB32", BI_RGB, 32, 1080, 1920 * 4 * 1080},
    {"RGB24_TopDown", BI_RGB, 24, -1080, 5760 * 1080},
    {"BitFields", BI_BITFIELDS, 32, 1080, 1920 * 4 * 1080},
    {"YUY2", FourccYuy2, 16, 1080, 3840 * 1080},
    {"I420", FourccI420, 12, 1080, 3110400},
    {"YV12", FourccYv12, 12, 1080, 3110400},
    // The last V byte is the frame's last.
    {"NV12", FourccNv12, 12, 1080, 3110400},
    {"v210", FourccV210, 20, 1080, 5120 * 1079 + 5120},
};

TEST(UnsafeFrameSize, FrameMustFitTheSampleBuffer) {
    for (const SizeCase& c : SizeCases) {
        SCOPED_TRACE(c.name);
        TestMediaType type = VideoInfoType(1920, c.height, c.bitCount, c.fourcc);
        std::vector<BYTE> buffer(c.exactSize);
        VideoFrameLayout frame{};
        EXPECT_TRUE(DescribeOver(type, buffer.data(), c.exactSize, &frame));
        frame = {};
        EXPECT_FALSE(DescribeOver(type, buffer.data(), c.exactSize - 1, &frame));
        frame = {};
        EXPECT_FALSE(DescribeOver(type, buffer.data(), -1, &frame));
    }
}

TEST(UnsafeFrameSize, FullHdFrameOverAHundredBytesIsLeftAlone) {
    std::vector<BYTE> buffer(100, 0x5A);
    for (DWORD fourcc : {static_cast<DWORD>(BI_RGB), FourccYuy2, FourccI420, FourccNv12}) {
        TestMediaType type = VideoInfoType(1920, 1080, fourcc == BI_RGB ? 32 : 16, fourcc);
        VideoFrameLayout frame{};
        EXPECT_FALSE(DescribeOver(type, buffer.data(), 100, &frame)) << std::hex << fourcc;
    }
    EXPECT_EQ(std::vector<BYTE>(100, 0x5A), buffer);
}

TEST(UnsafeFrameSize, NegativeZeroOrHugeDimensionsAreRefused) {
    std::vector<BYTE> buffer(4096);
    struct Lie {
        LONG rowWidth, height, sourceRight;
        WORD bitCount;
        DWORD fourcc;
    };
    const Lie lies[] = {
        {1920, 1080, -5, 32, BI_RGB},          // negative picture width
        {-1920, 1080, 0, 32, BI_RGB},          // negative row width
        {-1920, 1080, 64, 12, FourccNv12},     // negative row width behind a sane picture width
        {0, 1080, 0, 32, BI_RGB},              // no width at all
        {64, 0, 0, 32, BI_RGB},                // no height
        {64, INT32_MIN, 0, 32, BI_RGB},        // a height that cannot be negated
        {INT32_MAX, 16, 0, 32, BI_RGB},        // a stride beyond 32 bits
        {INT32_MAX / 3, 16, 0, 24, BI_RGB},    // rounding the stride up leaves 32 bits
        {1920, 1 << 21, 0, 32, BI_RGB},        // moving to the last row leaves 32 bits
        {1 << 20, 1 << 12, 0, 12, FourccI420}, // chroma plane offsets beyond 32 bits
        {1 << 20, 1 << 12, 0, 12, FourccNv12},
        {1 << 30, 16, 0, 20, FourccV210},
    };
    for (const Lie& lie : lies) {
        TestMediaType type = VideoInfoType(lie.rowWidth, lie.height, lie.bitCount, lie.fourcc, lie.sourceRight);
        VideoFrameLayout frame{};
        EXPECT_FALSE(DescribeOver(type, buffer.data(), 4096, &frame))
            << lie.rowWidth << " x " << lie.height << " from " << lie.sourceRight;
        frame = {};
        EXPECT_FALSE(DescribeFrame(&frame, type.Get(), nullptr)) << lie.rowWidth << " x " << lie.height;
    }
}

TEST(UnsafeFrameSize, PresetStridesAreBoundedToo) {
    std::vector<BYTE> buffer(1920 * 4 * 64);
    TestMediaType type = VideoInfoType(1920, -64, 32, BI_RGB);
    VideoFrameLayout backwards{};
    backwards.strides[0] = -7680;
    EXPECT_FALSE(DescribeOver(type, buffer.data(), static_cast<LONG>(buffer.size()), &backwards));
    VideoFrameLayout wide{};
    wide.strides[0] = 7684;
    EXPECT_FALSE(DescribeOver(type, buffer.data(), static_cast<LONG>(buffer.size()), &wide));
    VideoFrameLayout negativeMinimum{};
    negativeMinimum.strides[0] = INT32_MIN;
    EXPECT_FALSE(DescribeFrame(&negativeMinimum, type.Get(), nullptr));

    TestMediaType yv12 = VideoInfoType(64, 64, 12, FourccYv12);
    std::vector<BYTE> small(64 * 96);
    VideoFrameLayout usualSteps{};
    EXPECT_TRUE(DescribeOver(yv12, small.data(), static_cast<LONG>(small.size()), &usualSteps));
    VideoFrameLayout farSteps{};
    farSteps.sampleStep[1] = farSteps.sampleStep[2] = 3;
    EXPECT_FALSE(DescribeOver(yv12, small.data(), static_cast<LONG>(small.size()), &farSteps));
}

// Odd negative heights of 4:2:0 frames round toward fewer rows, not more.
TEST(UnsafeFrameSize, OddTopDownPlanarHeightLosesItsLastRow) {
    TestMediaType type = VideoInfoType(64, -41, 12, FourccI420);
    VideoFrameLayout frame{};
    // U follows the 41 luma rows, V follows 20.5 rows of U.
    std::vector<BYTE> buffer(64 * 41 + (41 * 32) / 2 + 32 * 20);
    ASSERT_TRUE(DescribeOver(type, buffer.data(), static_cast<LONG>(buffer.size()), &frame));
    EXPECT_EQ(40, frame.height);
    EXPECT_EQ(buffer.data() + 64 * 41, frame.planes[1]);
}

VideoFrameLayout WhiteImage(std::vector<BYTE>& pixels, LONG width, LONG height) {
    pixels.assign(static_cast<size_t>(width) * height * 4, 0xFF);
    VideoFrameLayout image{};
    image.width = width;
    image.height = height;
    image.bitCount = 32;
    image.fourcc = FourccRgba;
    image.planes[0] = pixels.data();
    image.strides[0] = width * 4;
    return image;
}

// Their planes come only from the companion's samples.
TEST(UnsafeChromaPlanes, PlanarFormatsByPointerAreRefused) {
    for (DWORD fourcc : {FourccP420, FourccP422, FourccP444}) {
        TestMediaType type = VideoInfoType(64, 32, 16, fourcc);
        std::vector<BYTE> buffer(64 * 32 * 3, 0x33);
        VideoFrameLayout frame{};
        EXPECT_FALSE(DescribeOver(type, buffer.data(), static_cast<LONG>(buffer.size()), &frame)) << std::hex << fourcc;
        frame = {};
        EXPECT_FALSE(DescribeFrame(&frame, type.Get(), nullptr)) << std::hex << fourcc;
    }
}

TEST(UnsafeChromaPlanes, FramesWithoutBothChromaPlanesAreLeftAlone) {
    std::vector<BYTE> logoPixels;
    const VideoFrameLayout logo = WhiteImage(logoPixels, 16, 8);
    for (DWORD fourcc : {FourccP420, FourccP422, FourccI420, FourccNv12}) {
        std::vector<BYTE> luma(64 * 32, 0x33), chroma(64 * 32, 0x44);
        VideoFrameLayout frame{};
        frame.width = 64;
        frame.height = 32;
        frame.bitCount = fourcc == FourccP422 ? 16 : 12;
        frame.fourcc = fourcc;
        frame.planes[0] = luma.data();
        frame.strides[0] = 64;
        frame.sampleStep[0] = frame.sampleStep[1] = frame.sampleStep[2] = 1;
        EXPECT_TRUE(DrawLogo(&frame, &logo)) << std::hex << fourcc;
        frame.planes[1] = chroma.data();
        frame.strides[1] = 32;
        EXPECT_TRUE(DrawLogo(&frame, &logo)) << std::hex << fourcc;
        EXPECT_EQ(std::vector<BYTE>(64 * 32, 0x33), luma) << std::hex << fourcc;
        EXPECT_EQ(std::vector<BYTE>(64 * 32, 0x44), chroma) << std::hex << fourcc;

        // The companion's P420 with a single plane.
        CTestPlanarSample sample(luma.data(), static_cast<LONG>(luma.size()));
        sample.SetPlane(0, luma.data(), 64);
        TestMediaType type = PlanarVideoType(64, 32, 12, FourccP420, 1);
        VideoFrameLayout onePlane{};
        ASSERT_TRUE(DescribeFrame(&onePlane, type.Get(), &sample));
        EXPECT_TRUE(DrawLogo(&onePlane, &logo));
        EXPECT_EQ(std::vector<BYTE>(64 * 32, 0x33), luma);
    }
}

// A 4:2:0 frame declaring 16 bits keeps an odd height, and its logo row
// y = height >> 4 = 1 is odd: only whole row pairs inside the frame are
// drawn, starting on an even row.
TEST(UnsafeRowPairs, Planar420WithAnotherBitCountStaysInRowPairs) {
    const LONG width = 64;
    std::vector<BYTE> logoPixels;
    const VideoFrameLayout logo = WhiteImage(logoPixels, width, 41);
    for (LONG height : {20, 21}) {
        // y = 1 moves up to 0; of 20 rows, 19 lie below it, of which 18 make pairs.
        const LONG drawnRows = height == 20 ? 18 : 20;
        const size_t lumaSize = static_cast<size_t>(width) * height;
        const size_t frameSize = lumaSize + 2 * (width / 2) * ((height + 1) / 2);
        for (DWORD fourcc : {FourccI420, FourccYv12, FourccIyuv, FourccNv12}) {
            SCOPED_TRACE(testing::Message() << std::hex << fourcc << std::dec << " height " << height);
            TestMediaType type = VideoInfoType(width, height, 16, fourcc);
            std::vector<BYTE> buffer(frameSize + 64, 0xC3);
            memset(buffer.data(), 16, lumaSize);
            memset(buffer.data() + lumaSize, 128, frameSize - lumaSize);
            VideoFrameLayout frame{};
            ASSERT_TRUE(DescribeOver(type, buffer.data(), static_cast<LONG>(frameSize), &frame));
            EXPECT_EQ(height, frame.height);
            EXPECT_TRUE(DrawLogo(&frame, &logo));
            for (LONG row = 0; row < height; ++row) {
                const BYTE expected = row < drawnRows ? 234 : 16;  // black under opaque white
                for (LONG column = 0; column < width; ++column) {
                    ASSERT_EQ(expected, buffer[static_cast<size_t>(row) * width + column]) << "row " << row;
                }
            }
            for (size_t at = frameSize; at < buffer.size(); ++at) ASSERT_EQ(0xC3, buffer[at]) << "canary " << at;
        }
    }
}

TEST(UnsafePlanes, CompanionPlanesAreCheckedOnlyForTheirCount) {
    std::vector<BYTE> luma(64 * 32), chroma(32 * 16);
    CTestPlanarSample sample;
    sample.SetPlane(0, luma.data(), 64);
    sample.SetPlane(1, chroma.data(), 32);
    sample.SetPlane(2, chroma.data(), 32);
    for (DWORD count : {0u, 2u, 4u, 0xFFFFFFFFu}) {
        TestMediaType type = PlanarVideoType(64, 32, 12, FourccP420, count);
        VideoFrameLayout frame{};
        EXPECT_FALSE(DescribeFrame(&frame, type.Get(), &sample)) << count;
    }
    EXPECT_EQ(0, sample.PlanesHandedOut());
    EXPECT_EQ(1u, sample.RefCount());
}

// Companion planes reaching past the sample's buffer, or lying where nothing
// tells where they end, are refused and given back.
TEST(UnsafePlanes, RefusedCompanionFramesGiveTheirPlanesBack) {
    struct Case {
        const char* what;
        LONG width, height;
        WORD bitCount;
        DWORD fourcc;
        LONG stride;
        size_t bufferSize;
        bool inBuffer;
    };
    const Case cases[] = {
        {"derived chroma offsets beyond 32 bits", 64, 32, 12, FourccNv12, INT32_MAX, 64, true},
        {"bottom-up RGB24 rows rounded up to 12 bytes", 3, 3, 24, FourccRgb, 9, 27, true},
        {"a plane outside the sample's buffer", 64, 32, 12, FourccNv12, 64, 64 * 48, false},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> buffer(c.bufferSize), elsewhere(c.bufferSize);
        CTestPlanarSample sample(buffer.data(), static_cast<LONG>(buffer.size()));
        sample.SetPlane(0, c.inBuffer ? buffer.data() : elsewhere.data(), c.stride);
        TestMediaType type = PlanarVideoType(c.width, c.height, c.bitCount, c.fourcc, 1);
        VideoFrameLayout frame{};
        EXPECT_FALSE(DescribeFrame(&frame, type.Get(), &sample)) << c.what;
        EXPECT_EQ(1, sample.PlanesHandedOut()) << c.what;
        EXPECT_EQ((std::vector<LONG>{0}), sample.ReleasedPlanes()) << c.what;
        EXPECT_EQ(1u, sample.RefCount()) << c.what;
    }
}

}  // namespace
