// The logo blend on a 1920 x 1080 frame of each drawn format, with the
// module's own logo: the group-by-group blend DrawLogo does, the reference
// rows, every vector variant this processor runs, and the dispatched rows, in
// one run on the same frame. Prints median microseconds per frame and the
// ratio of the group-by-group blend to the dispatched rows. Times are the
// thread's own processor time, so that other work on a shared machine does
// not count.
//   overlay_bench [repetitions]
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "overlay/aligned_buffer.h"
#include "overlay/frame_buffer.h"
#include "overlay/logo_blend.h"
#include "overlay/logo_image.h"
#include "overlay/pixel_formats.h"

namespace {

struct Format {
    const char* name;
    DWORD fourcc;
    LONG bitCount;
};

const Format Formats[] = {
    {"YUY2", FourccYuy2, 16}, {"UYVY", FourccUyvy, 16}, {"HDYC", FourccHdyc, 16}, {"P422", FourccP422, 16},
    {"YV12", FourccYv12, 12}, {"IYUV", FourccIyuv, 12}, {"I420", FourccI420, 12}, {"NV12", FourccNv12, 12},
    {"P420", FourccP420, 12}, {"RGB24", FourccRgb, 24}, {"RGB32", FourccRgb, 32},
};

// A full-HD frame of noise in a buffer of its own.
class Frame {
public:
    explicit Frame(const Format& format) {
        layout_.width = 1920;
        layout_.height = 1080;
        layout_.bitCount = format.bitCount;
        layout_.fourcc = format.fourcc;
        LONG size = 0;
        buffer_ = FrameBufferSize(&layout_, &size) ? AllocateAlignedBuffer(size) : nullptr;
        if (!AttachFrameBuffer(&layout_, buffer_)) return;
        uint32_t noise = 12345;
        for (LONG at = 0; at < size; ++at) {
            noise = noise * 1664525u + 1013904223u;
            buffer_[at] = static_cast<BYTE>(noise >> 24);
        }
    }
    ~Frame() { FreeAlignedBuffer(buffer_); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    const VideoFrameLayout* Layout() const { return buffer_ != nullptr ? &layout_ : nullptr; }

private:
    VideoFrameLayout layout_{};
    BYTE* buffer_ = nullptr;
};

struct Method {
    std::string name;
    std::function<bool(const VideoFrameLayout*)> draw;
    std::vector<double> micros;
};

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? atoi(argv[1]) : 15;
    constexpr int Calls = 200;
    if (repetitions <= 0) {
        fprintf(stderr, "usage: overlay_bench [repetitions]\n");
        return 2;
    }
    VideoFrameLayout logo{};
    logo.width = LogoImageWidth;
    logo.height = LogoImageHeight;
    PreparedImage prepared;
    if (!BuildLogoImage(&logo) || !prepared.Prepare(logo)) {
        fprintf(stderr, "the logo could not be built\n");
        return 1;
    }

    std::vector<Method> methods;
    methods.push_back({"group-by-group", [&](const VideoFrameLayout* frame) { return DrawLogo(frame, &logo); }, {}});
    for (int variant = 0; variant < static_cast<int>(BlendVariant::Count); ++variant) {
        const BlendRows* rows = BlendRowsOf(static_cast<BlendVariant>(variant));
        if (rows == nullptr) continue;
        methods.push_back(
            {BlendVariantName(static_cast<BlendVariant>(variant)),
             [&prepared, rows](const VideoFrameLayout* frame) { return DrawPreparedLogo(frame, prepared, *rows); },
             {}});
    }
    methods.push_back({std::string("dispatched (") + BlendVariantName(DispatchedBlendVariant()) + ")",
                       [&](const VideoFrameLayout* frame) { return DrawPreparedLogo(frame, prepared); },
                       {}});

    printf("median microseconds of thread time per 1920 x 1080 frame, %d repetitions of %d calls\n", repetitions,
           Calls);
    printf("%-6s", "format");
    for (const Method& method : methods) printf(" %15s", method.name.c_str());
    printf(" %9s\n", "ratio");
    for (const Format& format : Formats) {
        Frame frame(format);
        if (frame.Layout() == nullptr) {
            fprintf(stderr, "no frame buffer for %s\n", format.name);
            return 1;
        }
        for (Method& method : methods) method.micros.clear();
        // Interleaved, so that drift of the machine's speed hits every method alike.
        for (int repetition = 0; repetition < repetitions; ++repetition) {
            for (Method& method : methods) {
                const double start = ThreadMicros();
                for (int call = 0; call < Calls; ++call) {
                    if (!method.draw(frame.Layout())) {
                        fprintf(stderr, "%s refused %s\n", method.name.c_str(), format.name);
                        return 1;
                    }
                }
                method.micros.push_back((ThreadMicros() - start) / Calls);
            }
        }
        printf("%-6s", format.name);
        for (const Method& method : methods) printf(" %15.2f", Median(method.micros));
        printf(" %8.1fx\n", Median(methods.front().micros) / Median(methods.back().micros));
    }
    return 0;
}
