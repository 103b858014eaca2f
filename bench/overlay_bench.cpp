// DrawLogo on a 1920 x 1080 frame of each drawn format, with the module's own
// logo. Run with --benchmark_repetitions=N to get medians.
#include <benchmark/benchmark.h>

#include <stdint.h>

#include "overlay/aligned_buffer.h"
#include "overlay/frame_buffer.h"
#include "overlay/logo_blend.h"
#include "overlay/logo_image.h"
#include "overlay/pixel_formats.h"

namespace {

// Built once; lives as long as the program.
const VideoFrameLayout& Logo() {
    static const VideoFrameLayout logo = [] {
        VideoFrameLayout built{};
        built.width = LogoImageWidth;
        built.height = LogoImageHeight;
        if (!BuildLogoImage(&built)) built = {};
        return built;
    }();
    return logo;
}

void DrawLogoOnFullHd(benchmark::State& state, DWORD fourcc, LONG bitCount) {
    if (Logo().planes[0] == nullptr) {
        state.SkipWithError("the logo resource is missing");
        return;
    }
    VideoFrameLayout frame{};
    frame.width = 1920;
    frame.height = 1080;
    frame.bitCount = bitCount;
    frame.fourcc = fourcc;
    LONG size = 0;
    BYTE* buffer = FrameBufferSize(&frame, &size) ? AllocateAlignedBuffer(size) : nullptr;
    if (!AttachFrameBuffer(&frame, buffer)) {
        FreeAlignedBuffer(buffer);
        state.SkipWithError("no frame buffer");
        return;
    }
    uint32_t noise = 12345;
    for (LONG at = 0; at < size; ++at) {
        noise = noise * 1664525u + 1013904223u;
        buffer[at] = static_cast<BYTE>(noise >> 24);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrawLogo(&frame, &Logo()));
        benchmark::ClobberMemory();
    }
    FreeAlignedBuffer(buffer);
}

}  // namespace

BENCHMARK_CAPTURE(DrawLogoOnFullHd, YUY2, FourccYuy2, 16);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, UYVY, FourccUyvy, 16);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, HDYC, FourccHdyc, 16);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, P422, FourccP422, 16);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, YV12, FourccYv12, 12);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, IYUV, FourccIyuv, 12);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, I420, FourccI420, 12);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, NV12, FourccNv12, 12);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, P420, FourccP420, 12);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, RGB24, FourccRgb, 24);
BENCHMARK_CAPTURE(DrawLogoOnFullHd, RGB32, FourccRgb, 32);

BENCHMARK_MAIN();
