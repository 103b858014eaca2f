// Every format family through every blend row variant this processor runs:
// random frames, strides, images and positions (clipped at every edge, odd
// widths, bottom-up RGB) give byte for byte what the group-by-group blend
// gives, and the worked examples come out as computed by hand.
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>

#include <ostream>
#include <string>
#include <vector>

#include "overlay/logo_blend.h"
#include "overlay/pixel_formats.h"
#include "overlay/prepared_image.h"

namespace {

class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    LONG Below(LONG bound) { return static_cast<LONG>(Next() % static_cast<uint32_t>(bound)); }
    BYTE Byte() { return static_cast<BYTE>(Next()); }

private:
    uint32_t state_;
};

struct Family {
    const char* name;
    DWORD fourcc;
    LONG bitCount;
};

const Family Families[] = {
    {"YUY2", FourccYuy2, 16}, {"UYVY", FourccUyvy, 16}, {"P422", FourccP422, 16}, {"I420", FourccI420, 12},
    {"YV12", FourccYv12, 12}, {"NV12", FourccNv12, 12}, {"RGB24", FourccRgb, 24}, {"RGB32", FourccRgb, 32},
};

// A frame of the family inside one buffer with margins, its planes at
// random offsets with row padding; RGB rows bottom-up or top-down.
struct TestFrame {
    TestFrame(const Family& family, LONG width, LONG height, Noise& noise) {
        frame.width = width;
        frame.height = height;
        frame.bitCount = family.bitCount;
        frame.fourcc = family.fourcc;
        const bool planar = family.bitCount == 12 || family.fourcc == FourccP422;
        const LONG chromaRows = family.bitCount == 12 ? height / 2 : height;
        LONG lumaStride = family.fourcc == FourccRgb || !planar ? width * family.bitCount / 8 : width;
        lumaStride += noise.Below(40);
        LONG chromaStride = (family.fourcc == FourccNv12 ? width : width / 2) + noise.Below(40);
        const size_t lumaBytes = static_cast<size_t>(lumaStride) * height;
        const size_t chromaBytes = static_cast<size_t>(chromaStride) * chromaRows;
        bytes.resize(64 + lumaBytes + 64 + 2 * chromaBytes + 64);
        for (BYTE& byte : bytes) byte = noise.Byte();
        BYTE* luma = bytes.data() + noise.Below(64);
        frame.planes[0] = luma;
        frame.strides[0] = lumaStride;
        frame.sampleStep[0] = family.bitCount == 12 ? 1 : family.bitCount / 8;
        if (family.fourcc == FourccRgb && noise.Below(2) == 0) {
            frame.planes[0] = luma + (height - 1) * static_cast<ptrdiff_t>(lumaStride);
            frame.strides[0] = -lumaStride;
        }
        if (!planar) return;
        BYTE* chroma = luma + lumaBytes + noise.Below(64);
        frame.strides[1] = frame.strides[2] = chromaStride;
        if (family.fourcc == FourccNv12) {
            frame.planes[1] = chroma;
            frame.planes[2] = chroma + 1;
            frame.sampleStep[1] = frame.sampleStep[2] = 2;
            return;
        }
        frame.planes[1] = chroma;
        frame.planes[2] = chroma + chromaBytes;
        frame.sampleStep[1] = frame.sampleStep[2] = 1;
        if (family.fourcc == FourccYv12) {
            BYTE* u = frame.planes[1];
            frame.planes[1] = frame.planes[2];
            frame.planes[2] = u;
        }
    }
    // The same frame over a copy of the bytes.
    TestFrame(const TestFrame& other) : frame(other.frame), bytes(other.bytes) {
        for (int plane = 0; plane < 3; ++plane) {
            if (frame.planes[plane] != nullptr) {
                frame.planes[plane] = bytes.data() + (other.frame.planes[plane] - other.bytes.data());
            }
        }
    }
    VideoFrameLayout frame{};
    std::vector<BYTE> bytes;
};

// An RGBA image with stretches of full transparency between random pixels.
struct TestImage {
    TestImage(LONG width, LONG height, Noise& noise) {
        const LONG stride = width * 4 + 4 * noise.Below(3);
        pixels.resize(static_cast<size_t>(stride) * height);
        for (BYTE& byte : pixels) byte = noise.Byte();
        for (LONG row = 0; row < height; ++row) {
            bool visible = noise.Below(2) == 0;
            for (LONG column = 0; column < width; ++column) {
                if (noise.Below(6) == 0) visible = !visible;
                BYTE* alpha = &pixels[static_cast<size_t>(row) * stride + 4 * column + 3];
                if (!visible) *alpha = 0;
            }
        }
        layout.width = width;
        layout.height = height;
        layout.bitCount = 32;
        layout.fourcc = FourccRgba;
        layout.planes[0] = pixels.data();
        layout.strides[0] = stride;
        layout.sampleStep[0] = 4;
    }
    std::vector<BYTE> pixels;
    VideoFrameLayout layout{};
};

struct RowCase {
    Family family;
    BlendVariant variant;
};

std::ostream& operator<<(std::ostream& out, const RowCase& rowCase) {
    return out << rowCase.family.name << "_" << BlendVariantName(rowCase.variant);
}

std::vector<RowCase> AllCases() {
    std::vector<RowCase> cases;
    for (const Family& family : Families) {
        for (int variant = 0; variant < static_cast<int>(BlendVariant::Count); ++variant) {
            cases.push_back({family, static_cast<BlendVariant>(variant)});
        }
    }
    return cases;
}

class BlendRowVariant : public testing::TestWithParam<RowCase> {
protected:
    void SetUp() override {
        rows_ = BlendRowsOf(GetParam().variant);
        if (rows_ == nullptr) GTEST_SKIP() << "this processor does not run " << BlendVariantName(GetParam().variant);
    }
    const BlendRows* rows_ = nullptr;
};

TEST_P(BlendRowVariant, GivesTheGroupByGroupBytes) {
    const Family& family = GetParam().family;
    Noise noise(0x5eed + family.fourcc + family.bitCount);
    for (int trial = 0; trial < 300; ++trial) {
        const TestFrame original(family, 2 + noise.Below(150), 2 + noise.Below(12), noise);
        TestImage image(1 + noise.Below(120), 1 + noise.Below(8), noise);
        PreparedImage prepared;
        ASSERT_TRUE(prepared.Prepare(image.layout));
        const LONG x = noise.Below(original.frame.width + image.layout.width + 4) - image.layout.width - 2;
        const LONG y = noise.Below(original.frame.height + image.layout.height + 2) - image.layout.height - 1;
        TestFrame expected(original);
        TestFrame actual(original);
        EXPECT_TRUE(BlendImage(&expected.frame, &image.layout, x, y));
        EXPECT_TRUE(BlendPreparedImage(&actual.frame, prepared, x, y, *rows_));
        ASSERT_EQ(expected.bytes, actual.bytes)
            << "trial " << trial << ": frame " << original.frame.width << " x " << original.frame.height << ", image "
            << image.layout.width << " x " << image.layout.height << " at " << x << ", " << y;
    }
}

// Worked examples, each repeated over a row wide enough for whole vectors and a tail.
struct Worked {
    const char* name;
    Family family;
    std::vector<BYTE> before;  // one group: packed bytes, or 4:2:0 luma TL TR BL BR then U V, or one RGB32 pixel
    BYTE topAlpha;
    BYTE bottomAlpha;  // 4:2:0 bottom row; elsewhere the right pixel's alpha
    std::vector<BYTE> after;
};

const Worked WorkedExamples[] = {
    {"black pair", Families[0], {16, 128, 16, 128}, 127, 127, {124, 128, 124, 127}},
    {"white pair", Families[0], {235, 128, 235, 128}, 127, 127, {234, 128, 234, 127}},
    {"faint pair", Families[0], {126, 128, 126, 128}, 0, 1, {125, 128, 126, 127}},
    {"black quad", Families[3], {16, 16, 16, 16, 128, 128}, 127, 127, {124, 124, 124, 124, 128, 127}},
    {"half-covered quad", Families[3], {81, 81, 81, 81, 90, 240}, 127, 0, {157, 157, 80, 80, 99, 212}},
    {"black RGB32 pixel", Families[7], {0, 0, 0, 77}, 127, 127, {126, 126, 126, 77}},
    {"white RGB32 pixel", Families[7], {255, 255, 255, 9}, 127, 127, {255, 255, 255, 9}},
};

TEST_P(BlendRowVariant, WorkedExamples) {
    const Family& family = GetParam().family;
    constexpr LONG Groups = 45;
    for (const Worked& example : WorkedExamples) {
        if (example.family.fourcc != family.fourcc || example.family.bitCount != family.bitCount) continue;
        const bool quads = family.bitCount == 12;
        const bool rgb = family.fourcc == FourccRgb;
        const LONG width = rgb ? Groups : 2 * Groups;
        const LONG height = quads ? 2 : 1;
        std::vector<BYTE> luma(static_cast<size_t>(width) * (rgb ? 4 : quads ? 1 : 2) * height);
        std::vector<BYTE> u(Groups), v(Groups);
        VideoFrameLayout frame{};
        frame.width = width;
        frame.height = height;
        frame.bitCount = family.bitCount;
        frame.fourcc = family.fourcc;
        frame.planes[0] = luma.data();
        frame.strides[0] = static_cast<LONG>(luma.size()) / height;
        frame.sampleStep[0] = quads ? 1 : family.bitCount / 8;
        frame.planes[1] = u.data();
        frame.planes[2] = v.data();
        frame.strides[1] = frame.strides[2] = Groups;
        frame.sampleStep[1] = frame.sampleStep[2] = 1;
        for (LONG group = 0; group < Groups; ++group) {
            if (quads) {
                for (LONG k = 0; k < 4; ++k) luma[(k / 2) * width + 2 * group + k % 2] = example.before[k];
                u[group] = example.before[4];
                v[group] = example.before[5];
            } else {
                for (size_t k = 0; k < example.before.size(); ++k) luma[4 * group + k] = example.before[k];
            }
        }
        std::vector<BYTE> white(static_cast<size_t>(width) * height * 4, 255);
        for (LONG row = 0; row < height; ++row) {
            for (LONG column = 0; column < width; ++column) {
                const bool second = quads ? row == 1 : column % 2 == 1 && !rgb;
                white[(static_cast<size_t>(row) * width + column) * 4 + 3] =
                    second ? example.bottomAlpha : example.topAlpha;
            }
        }
        VideoFrameLayout image{
            width, height, 32, {4, 0, 0}, FourccRgba, {white.data(), nullptr, nullptr}, {width * 4, 0, 0}};
        PreparedImage prepared;
        ASSERT_TRUE(prepared.Prepare(image));
        EXPECT_TRUE(BlendPreparedImage(&frame, prepared, 0, 0, *rows_));
        for (LONG group = 0; group < Groups; ++group) {
            std::vector<BYTE> after;
            if (quads) {
                for (LONG k = 0; k < 4; ++k) after.push_back(luma[(k / 2) * width + 2 * group + k % 2]);
                after.push_back(u[group]);
                after.push_back(v[group]);
            } else {
                after.assign(luma.begin() + 4 * group, luma.begin() + 4 * group + 4);
            }
            ASSERT_EQ(example.after, after) << example.name << ", group " << group;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FamiliesAndVariants, BlendRowVariant, testing::ValuesIn(AllCases()),
                         [](const testing::TestParamInfo<RowCase>& info) {
                             std::string name = info.param.family.name;
                             for (char c : std::string("_") + BlendVariantName(info.param.variant)) {
                                 name += c == '.' ? '_' : c;
                             }
                             return name;
                         });

}  // namespace

namespace {

// The process runs the best variant this processor has, or, when DRAVIK_CPU
// names one, the best not above it (ctest runs this once more with DRAVIK_CPU=c).
TEST(BlendDispatch, BestVariantOrTheOneRequested) {
    BlendVariant best = BlendVariant::Reference;
    for (int variant = 0; variant < static_cast<int>(BlendVariant::Count); ++variant) {
        if (BlendRowsOf(static_cast<BlendVariant>(variant)) != nullptr) best = static_cast<BlendVariant>(variant);
    }
    BlendVariant expected = best;
    const char* requested = getenv("DRAVIK_CPU");
    for (int variant = 0; requested != nullptr && variant < static_cast<int>(BlendVariant::Count); ++variant) {
        const BlendVariant named = static_cast<BlendVariant>(variant);
        if (std::string(requested) == BlendVariantName(named) && named < best) expected = named;
    }
    EXPECT_EQ(BlendVariantName(expected), std::string(BlendVariantName(DispatchedBlendVariant())));
    EXPECT_EQ(BlendRowsOf(expected), &DispatchedBlendRows());
    EXPECT_NE(nullptr, BlendRowsOf(BlendVariant::Reference));
}

}  // namespace
