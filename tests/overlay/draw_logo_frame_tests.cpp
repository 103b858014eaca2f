// A whole 1920 x 1080 frame of each drawn format, described from its media
// type and blended through DrawLogo, against a plain per-pixel computation of
// the blend formulas; every other byte, canaries around the buffers included,
// must stay as it was.
#include <gtest/gtest.h>

#include <stdint.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "overlay/frame_description.h"
#include "overlay/logo_blend.h"
#include "overlay/pixel_formats.h"
#include "tests/overlay/test_media_sample.h"
#include "tests/overlay/test_media_types.h"
#include "tests/overlay/test_planar_sample.h"

namespace {

constexpr LONG Width = 1920;
constexpr LONG Height = 1080;
constexpr LONG LogoWidth = 265;
constexpr LONG LogoHeight = 41;
constexpr LONG LogoStride = 1072;
constexpr size_t Canary = 256;

// Deterministic bytes.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    BYTE Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<BYTE>(state_ >> 24);
    }

private:
    uint32_t state_;
};

// Bytes with canaries on both sides; the middle is what a sample hands out.
struct GuardedBuffer {
    GuardedBuffer(size_t size, Noise& noise) : bytes(size + 2 * Canary), size(size) {
        for (BYTE& byte : bytes) byte = noise.Next();
    }
    BYTE* Data() { return bytes.data() + Canary; }
    std::vector<BYTE> bytes;
    size_t size;
};

// Where a byte of the frame lies: which buffer, and how far into its middle.
struct Site {
    int buffer;
    size_t offset;
};

struct FrameCase {
    const char* name;
    DWORD fourcc;
    WORD bitCount;
    LONG biHeight;
    enum Route { VideoInfo, VideoInfo2, PlanarVideo } route;
};

void PrintTo(const FrameCase& c, std::ostream* out) { *out << c.name; }

// The logo: colours and alphas from noise, some whole stretches transparent,
// the row padding full of junk that must never be read as pixels.
std::vector<BYTE> MakeLogo() {
    Noise noise(7);
    std::vector<BYTE> logo(static_cast<size_t>(LogoStride) * LogoHeight);
    for (BYTE& byte : logo) byte = noise.Next();
    for (LONG row = 0; row < LogoHeight; ++row) {
        for (LONG column = 0; column < LogoWidth; ++column) {
            BYTE* pixel = &logo[static_cast<size_t>(row) * LogoStride + 4 * column];
            const bool clear = column < 20 || (column / 8 + row / 4) % 5 == 0 || pixel[3] < 60;
            if (clear) pixel[3] = 0;
        }
    }
    return logo;
}

VideoFrameLayout LogoLayout(std::vector<BYTE>& logo) {
    VideoFrameLayout layout{};
    layout.width = LogoWidth;
    layout.height = LogoHeight;
    layout.bitCount = 32;
    layout.fourcc = FourccRgba;
    layout.planes[0] = logo.data();
    layout.strides[0] = LogoStride;
    layout.sampleStep[0] = 4;
    return layout;
}

// The formulas, written out once more pixel by pixel.
struct Rgb {
    int64_t r, g, b;
};

Rgb ReferenceMix(int64_t y, int64_t u, int64_t v, const BYTE* image) {
    const int64_t t = (y - 16) * 38155;
    const int64_t r4 = (t + (v - 128) * 52299) >> 13;
    const int64_t g4 = (t + 5052928 - 26639 * v - 12837 * u) >> 13;
    const int64_t b4 = (t + (u - 128) * 66101) >> 13;
    const int64_t a = image[3];
    return {(r4 * (256 - a) + image[2] * (4 * a + 1)) >> 8, (g4 * (256 - a) + image[1] * (4 * a + 1)) >> 8,
            (b4 * (256 - a) + image[0] * (4 * a + 1)) >> 8};
}

class Reference {
public:
    Reference(std::vector<std::vector<BYTE>>& buffers, const std::vector<BYTE>& logo, LONG left, LONG top)
        : buffers_(buffers), logo_(logo), left_(left), top_(top) {}

    BYTE& At(Site site) { return buffers_[site.buffer][Canary + site.offset]; }
    const BYTE* Image(LONG column, LONG row) const {
        return &logo_[static_cast<size_t>(row - top_) * LogoStride + 4 * (column - left_)];
    }

    // One chroma group: pixels given by frame position, sharing U and V.
    void Group(const std::vector<std::pair<LONG, LONG>>& pixels, Site u, Site v,
               const std::function<Site(LONG, LONG)>& luma) {
        bool visible = false;
        for (const auto& p : pixels) visible = visible || Image(p.first, p.second)[3] != 0;
        if (!visible) return;
        const int64_t cb = At(u), cr = At(v);
        Rgb sum{0, 0, 0};
        std::vector<Rgb> mixed;
        for (const auto& p : pixels) {
            mixed.push_back(ReferenceMix(At(luma(p.first, p.second)), cb, cr, Image(p.first, p.second)));
            sum.r += mixed.back().r;
            sum.g += mixed.back().g;
            sum.b += mixed.back().b;
        }
        for (size_t i = 0; i < pixels.size(); ++i) {
            const Rgb& c = mixed[i];
            At(luma(pixels[i].first, pixels[i].second)) =
                static_cast<BYTE>(((8414 * c.r + 16519 * c.g + 3208 * c.b) >> 17) + 16);
        }
        const int shift = pixels.size() == 4 ? 19 : 18;
        At(u) = static_cast<BYTE>(((14392 * sum.b - 9535 * sum.g - 4857 * sum.r) >> shift) + 128);
        At(v) = static_cast<BYTE>(((14392 * sum.r - 12052 * sum.g - 2341 * sum.b) >> shift) + 128);
    }

private:
    std::vector<std::vector<BYTE>>& buffers_;
    const std::vector<BYTE>& logo_;
    LONG left_;
    LONG top_;
};

bool Is420(DWORD fourcc) {
    return fourcc == FourccYv12 || fourcc == FourccIyuv || fourcc == FourccI420 || fourcc == FourccNv12 ||
           fourcc == FourccP420;
}

class DrawLogoFrame : public testing::TestWithParam<FrameCase> {};

TEST_P(DrawLogoFrame, MatchesThePerPixelFormulasAndTouchesNothingElse) {
    const FrameCase& c = GetParam();
    Noise noise(c.fourcc ^ c.bitCount);
    std::vector<GuardedBuffer> buffers;
    std::function<Site(LONG, LONG)> luma, u, v;
    const bool rgb = c.fourcc == FourccRgb;
    const LONG pixelBytes = c.bitCount / 8;

    // The companion's planes lie one after the other in the sample's buffer.
    const size_t planarLuma = 2048 * static_cast<size_t>(Height);
    const size_t planarChroma = 1024 * static_cast<size_t>(c.fourcc == FourccP420 ? Height / 2 : Height);
    if (c.route == FrameCase::PlanarVideo) {
        buffers.emplace_back(planarLuma + 2 * planarChroma, noise);
        luma = [](LONG x, LONG y) { return Site{0, static_cast<size_t>(y) * 2048 + x}; };
        u = [=](LONG x, LONG y) { return Site{0, planarLuma + static_cast<size_t>(y) * 1024 + x}; };
        v = [=](LONG x, LONG y) { return Site{0, planarLuma + planarChroma + static_cast<size_t>(y) * 1024 + x}; };
    } else if (rgb) {
        const size_t stride = static_cast<size_t>(Width) * pixelBytes;
        buffers.emplace_back(stride * Height, noise);
        const bool bottomUp = c.biHeight > 0;
        luma = [=](LONG x, LONG y) {
            return Site{0, static_cast<size_t>(bottomUp ? Height - 1 - y : y) * stride + x * pixelBytes};
        };
    } else if (Is420(c.fourcc)) {
        buffers.emplace_back(static_cast<size_t>(Width) * Height * 3 / 2, noise);
        const size_t lumaSize = static_cast<size_t>(Width) * Height;
        luma = [](LONG x, LONG y) { return Site{0, static_cast<size_t>(y) * Width + x}; };
        if (c.fourcc == FourccNv12) {
            u = [=](LONG x, LONG y) { return Site{0, lumaSize + static_cast<size_t>(y) * Width + 2 * x}; };
            v = [=](LONG x, LONG y) { return Site{0, lumaSize + static_cast<size_t>(y) * Width + 2 * x + 1}; };
        } else {
            const size_t first = lumaSize, second = lumaSize + lumaSize / 4;
            const size_t uPlane = c.fourcc == FourccYv12 ? second : first;
            const size_t vPlane = c.fourcc == FourccYv12 ? first : second;
            u = [=](LONG x, LONG y) { return Site{0, uPlane + static_cast<size_t>(y) * (Width / 2) + x}; };
            v = [=](LONG x, LONG y) { return Site{0, vPlane + static_cast<size_t>(y) * (Width / 2) + x}; };
        }
    } else {
        const size_t stride = Width * 2;
        buffers.emplace_back(stride * Height, noise);
        const bool yuy2 = c.fourcc == FourccYuy2;
        luma = [=](LONG x, LONG y) { return Site{0, static_cast<size_t>(y) * stride + 2 * x + (yuy2 ? 0 : 1)}; };
        u = [=](LONG x, LONG y) { return Site{0, static_cast<size_t>(y) * stride + 4 * x + (yuy2 ? 1 : 0)}; };
        v = [=](LONG x, LONG y) { return Site{0, static_cast<size_t>(y) * stride + 4 * x + (yuy2 ? 3 : 2)}; };
    }

    std::vector<BYTE> logo = MakeLogo();
    const VideoFrameLayout logoLayout = LogoLayout(logo);
    std::vector<std::vector<BYTE>> original, expected;
    for (GuardedBuffer& buffer : buffers) original.push_back(buffer.bytes);
    expected = original;

    // The region the logo lands on: 827 and 67 for RGB, pixel pairs from 826
    // otherwise, row pairs from 66 for 4:2:0.
    const LONG left = rgb ? 827 : 826;
    const LONG top = Is420(c.fourcc) ? 66 : 67;
    const LONG regionWidth = rgb ? 265 : 264;
    const LONG regionHeight = Is420(c.fourcc) ? 40 : 41;
    Reference reference(expected, logo, left, top);
    for (LONG y = top; y < top + regionHeight; y += Is420(c.fourcc) ? 2 : 1) {
        if (rgb) {
            for (LONG x = left; x < left + regionWidth; ++x) {
                const BYTE* image = reference.Image(x, y);
                for (int channel = 0; channel < 3; ++channel) {
                    BYTE& byte = reference.At(Site{0, luma(x, y).offset + channel});
                    byte = static_cast<BYTE>((image[channel] * image[3] + byte * (256 - image[3])) >> 8);
                }
            }
            continue;
        }
        for (LONG x = left; x < left + regionWidth; x += 2) {
            if (Is420(c.fourcc)) {
                reference.Group({{x, y}, {x + 1, y}, {x, y + 1}, {x + 1, y + 1}}, u(x / 2, y / 2), v(x / 2, y / 2), luma);
            } else {
                reference.Group({{x, y}, {x + 1, y}}, u(x / 2, y), v(x / 2, y), luma);
            }
        }
    }
    ASSERT_NE(original, expected) << "the logo must change the frame";

    TestMediaType type = c.route == FrameCase::PlanarVideo
                             ? PlanarVideoType(Width, c.biHeight, c.bitCount, c.fourcc, 3)
                         : c.route == FrameCase::VideoInfo2 ? VideoInfo2Type(Width, c.biHeight, c.bitCount, c.fourcc)
                                                            : VideoInfoType(Width, c.biHeight, c.bitCount, c.fourcc);
    CTestPlanarSample planar(buffers[0].Data(), static_cast<LONG>(buffers[0].size));
    CTestMediaSample plain(buffers[0].Data(), static_cast<LONG>(buffers[0].size));
    if (c.route == FrameCase::PlanarVideo) {
        planar.SetPlane(0, buffers[0].Data(), 2048);
        planar.SetPlane(1, buffers[0].Data() + planarLuma, 1024);
        planar.SetPlane(2, buffers[0].Data() + planarLuma + planarChroma, 1024);
    }
    IMediaSample* sample = c.route == FrameCase::PlanarVideo ? static_cast<IMediaSample*>(&planar) : &plain;
    VideoFrameLayout frame{};
    ASSERT_TRUE(DescribeFrame(&frame, type.Get(), sample));
    EXPECT_TRUE(DrawLogo(&frame, &logoLayout));

    for (size_t i = 0; i < buffers.size(); ++i) {
        size_t mismatches = 0, first = 0;
        for (size_t at = 0; at < expected[i].size(); ++at) {
            if (buffers[i].bytes[at] == expected[i][at]) continue;
            if (mismatches++ == 0) first = at;
        }
        EXPECT_EQ(0u, mismatches) << "buffer " << i << ", first at byte " << static_cast<long>(first) - static_cast<long>(Canary)
                                  << " of the frame";
    }
    EXPECT_EQ(1u, planar.RefCount());
    EXPECT_EQ(1u, plain.RefCount());
}

const FrameCase FrameCases[] = {
    {"YUY2", FourccYuy2, 16, Height, FrameCase::VideoInfo},
    {"YUY2_VideoInfo2", FourccYuy2, 16, Height, FrameCase::VideoInfo2},
    {"UYVY", FourccUyvy, 16, Height, FrameCase::VideoInfo},
    {"HDYC", FourccHdyc, 16, Height, FrameCase::VideoInfo2},
    {"P422", FourccP422, 16, Height, FrameCase::PlanarVideo},
    {"YV12", FourccYv12, 12, Height, FrameCase::VideoInfo},
    {"IYUV", FourccIyuv, 12, Height, FrameCase::VideoInfo},
    {"I420", FourccI420, 12, Height, FrameCase::VideoInfo2},
    {"NV12", FourccNv12, 12, Height, FrameCase::VideoInfo},
    {"P420", FourccP420, 12, Height, FrameCase::PlanarVideo},
    {"RGB24", FourccRgb, 24, Height, FrameCase::VideoInfo},
    {"RGB32", FourccRgb, 32, Height, FrameCase::VideoInfo},
    {"RGB32_TopDown", FourccRgb, 32, -Height, FrameCase::VideoInfo2},
};

INSTANTIATE_TEST_SUITE_P(Formats, DrawLogoFrame, testing::ValuesIn(FrameCases),
                         [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

}  // namespace
