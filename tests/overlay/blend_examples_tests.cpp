// Worked examples of the blend on small hand-made frames and images.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <vector>

#include "overlay/logo_blend.h"
#include "overlay/pixel_formats.h"

namespace {

// An RGBA image of our own, every pixel (blue, green, red, alpha) as given.
struct TestImage {
    TestImage(LONG width, LONG height) : pixels(static_cast<size_t>(width) * height * 4) {
        layout.width = width;
        layout.height = height;
        layout.bitCount = 32;
        layout.fourcc = FourccRgba;
        layout.planes[0] = pixels.data();
        layout.strides[0] = width * 4;
        layout.sampleStep[0] = 4;
    }
    void Set(LONG column, LONG row, BYTE blue, BYTE green, BYTE red, BYTE alpha) {
        BYTE* pixel = &pixels[(static_cast<size_t>(row) * layout.width + column) * 4];
        pixel[0] = blue;
        pixel[1] = green;
        pixel[2] = red;
        pixel[3] = alpha;
    }
    void Fill(BYTE blue, BYTE green, BYTE red, BYTE alpha) {
        for (LONG row = 0; row < layout.height; ++row) {
            for (LONG column = 0; column < layout.width; ++column) Set(column, row, blue, green, red, alpha);
        }
    }
    std::vector<BYTE> pixels;
    VideoFrameLayout layout{};
};

VideoFrameLayout PackedFrame(std::vector<BYTE>& bytes, LONG width, LONG height, DWORD fourcc) {
    VideoFrameLayout frame{};
    frame.width = width;
    frame.height = height;
    frame.bitCount = 16;
    frame.fourcc = fourcc;
    frame.planes[0] = bytes.data();
    frame.strides[0] = width * 2;
    frame.sampleStep[0] = 2;
    return frame;
}

std::vector<BYTE> BlendYuy2Pair(std::vector<BYTE> pair, BYTE alpha0, BYTE alpha1) {
    VideoFrameLayout frame = PackedFrame(pair, 2, 1, FourccYuy2);
    TestImage image(2, 1);
    image.Set(0, 0, 255, 255, 255, alpha0);
    image.Set(1, 0, 255, 255, 255, alpha1);
    EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0));
    return pair;
}

TEST(BlendPackedExamples, Yuy2Pairs) {
    EXPECT_EQ((std::vector<BYTE>{124, 128, 124, 127}), BlendYuy2Pair({16, 128, 16, 128}, 127, 127));
    EXPECT_EQ((std::vector<BYTE>{234, 128, 234, 127}), BlendYuy2Pair({235, 128, 235, 128}, 127, 127));
    EXPECT_EQ((std::vector<BYTE>{125, 128, 126, 127}), BlendYuy2Pair({126, 128, 126, 128}, 0, 1));
    EXPECT_EQ((std::vector<BYTE>{126, 128, 126, 128}), BlendYuy2Pair({126, 128, 126, 128}, 0, 0));
}

TEST(BlendPackedExamples, UyvyAndHdycUseTheirByteOrder) {
    for (DWORD fourcc : {FourccUyvy, FourccHdyc}) {
        std::vector<BYTE> pair{128, 126, 128, 126};
        VideoFrameLayout frame = PackedFrame(pair, 2, 1, fourcc);
        TestImage image(2, 1);
        image.Set(1, 0, 255, 255, 255, 1);
        EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0));
        EXPECT_EQ((std::vector<BYTE>{128, 125, 127, 126}), pair) << std::hex << fourcc;
    }
}

// A 2 x 2 4:2:0 picture with its chroma in the layout the format gives.
struct Planar420 {
    Planar420(DWORD fourcc, BYTE luma, BYTE u, BYTE v) : bytes(8, 0) {
        frame.width = 2;
        frame.height = 2;
        frame.bitCount = 12;
        frame.fourcc = fourcc;
        frame.planes[0] = bytes.data();
        frame.strides[0] = 2;
        frame.sampleStep[0] = 1;
        // One chroma sample each: separate planes and interleaved NV12 look alike here.
        frame.planes[1] = bytes.data() + 4;
        frame.planes[2] = bytes.data() + 5;
        frame.strides[1] = frame.strides[2] = 2;
        frame.sampleStep[1] = frame.sampleStep[2] = fourcc == FourccNv12 ? 2 : 1;
        for (int i = 0; i < 4; ++i) bytes[i] = luma;
        *frame.planes[1] = u;
        *frame.planes[2] = v;
    }
    std::vector<BYTE> bytes;
    VideoFrameLayout frame{};
};

TEST(BlendPlanar420Examples, BlackGroupUnderWhite) {
    for (DWORD fourcc : {FourccI420, FourccNv12, FourccYv12, FourccIyuv, FourccP420}) {
        Planar420 picture(fourcc, 16, 128, 128);
        TestImage image(2, 2);
        image.Fill(255, 255, 255, 127);
        EXPECT_TRUE(BlendImage(&picture.frame, &image.layout, 0, 0));
        EXPECT_EQ((std::vector<BYTE>{124, 124, 124, 124, 128, 127, 0, 0}), picture.bytes) << std::hex << fourcc;
    }
}

TEST(BlendPlanar420Examples, ColouredGroupHalfCovered) {
    Planar420 picture(FourccNv12, 81, 90, 240);
    TestImage image(2, 2);
    image.Set(0, 0, 255, 255, 255, 127);
    image.Set(1, 0, 255, 255, 255, 127);
    image.Set(0, 1, 255, 255, 255, 0);
    image.Set(1, 1, 255, 255, 255, 0);
    EXPECT_TRUE(BlendImage(&picture.frame, &image.layout, 0, 0));
    EXPECT_EQ((std::vector<BYTE>{157, 157, 80, 80, 99, 212, 0, 0}), picture.bytes);
}

TEST(BlendPlanar422Examples, PairSharesItsChromaRow) {
    // Two rows, each with its own U and V sample.
    std::vector<BYTE> luma{16, 16, 126, 126}, u{128, 128}, v{128, 128};
    VideoFrameLayout frame{};
    frame.width = 2;
    frame.height = 2;
    frame.bitCount = 16;
    frame.fourcc = FourccP422;
    frame.planes[0] = luma.data();
    frame.planes[1] = u.data();
    frame.planes[2] = v.data();
    frame.strides[0] = 2;
    frame.strides[1] = frame.strides[2] = 1;
    frame.sampleStep[0] = frame.sampleStep[1] = frame.sampleStep[2] = 1;
    TestImage image(2, 2);
    image.Set(0, 0, 255, 255, 255, 127);
    image.Set(1, 0, 255, 255, 255, 127);
    image.Set(1, 1, 255, 255, 255, 1);
    EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0));
    EXPECT_EQ((std::vector<BYTE>{124, 124, 125, 126}), luma);
    EXPECT_EQ((std::vector<BYTE>{128, 128}), u);
    EXPECT_EQ((std::vector<BYTE>{127, 127}), v);
}

VideoFrameLayout RgbFrame(std::vector<BYTE>& bytes, LONG width, LONG height, LONG bitCount) {
    VideoFrameLayout frame{};
    frame.width = width;
    frame.height = height;
    frame.bitCount = bitCount;
    frame.fourcc = FourccRgb;
    frame.planes[0] = bytes.data();
    frame.strides[0] = width * bitCount / 8;
    frame.sampleStep[0] = bitCount / 8;
    return frame;
}

TEST(BlendRgbExamples, BlackBecomesGreyWhiteStaysAndFourthByteIsKept) {
    std::vector<BYTE> pixels{0, 0, 0, 17, 255, 255, 255, 99};
    VideoFrameLayout frame = RgbFrame(pixels, 2, 1, 32);
    TestImage image(2, 1);
    image.Fill(255, 255, 255, 127);
    EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0));
    EXPECT_EQ((std::vector<BYTE>{126, 126, 126, 17, 255, 255, 255, 99}), pixels);

    std::vector<BYTE> rgb24{0, 0, 0, 255, 255, 255};
    VideoFrameLayout frame24 = RgbFrame(rgb24, 2, 1, 24);
    EXPECT_TRUE(BlendImage(&frame24, &image.layout, 0, 0));
    EXPECT_EQ((std::vector<BYTE>{126, 126, 126, 255, 255, 255}), rgb24);
}

TEST(BlendRgbExamples, ChannelsFollowTheImageOrder) {
    std::vector<BYTE> pixel{10, 20, 30, 40};
    VideoFrameLayout frame = RgbFrame(pixel, 1, 1, 32);
    TestImage image(1, 1);
    image.Set(0, 0, 200, 100, 50, 64);
    EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0));
    // (200*64 + 10*192) >> 8 = 57, (100*64 + 20*192) >> 8 = 40, (50*64 + 30*192) >> 8 = 35
    EXPECT_EQ((std::vector<BYTE>{57, 40, 35, 40}), pixel);
}

// A black RGB32 frame under an opaque image that says where each of its
// pixels came from: an alpha of 255 keeps (v * 255) >> 8 = v - 1 of an image
// byte v >= 1, so a covered frame pixel reads (image column, image row, 199).
struct PositionProbe {
    PositionProbe(LONG width, LONG height, LONG imageWidth, LONG imageHeight)
        : pixels(static_cast<size_t>(width) * height * 4, 0), image(imageWidth, imageHeight) {
        frame = RgbFrame(pixels, width, height, 32);
        for (LONG row = 0; row < imageHeight; ++row) {
            for (LONG column = 0; column < imageWidth; ++column) {
                image.Set(column, row, static_cast<BYTE>(column + 1), static_cast<BYTE>(row + 1), 200, 255);
            }
        }
    }
    const BYTE* Pixel(LONG column, LONG row) const {
        return &pixels[(static_cast<size_t>(row) * frame.width + column) * 4];
    }
    bool Covered(LONG column, LONG row) const { return Pixel(column, row)[2] == 199; }
    std::vector<BYTE> pixels;
    TestImage image;
    VideoFrameLayout frame{};
};

TEST(DrawLogoPosition, NarrowFrameEntersTheImageFromItsMiddle) {
    PositionProbe probe(200, 100, 265, 41);
    EXPECT_TRUE(DrawLogo(&probe.frame, &probe.image.layout));
    // x = (200 - 265) >> 1 = -33, y = 100 >> 4 = 6.
    EXPECT_EQ(33, probe.Pixel(0, 6)[0]);
    EXPECT_EQ(0, probe.Pixel(0, 6)[1]);
    EXPECT_EQ(232, probe.Pixel(199, 6)[0]);
    EXPECT_EQ(40, probe.Pixel(199, 46)[1]);
    EXPECT_TRUE(probe.Covered(0, 6));
    EXPECT_FALSE(probe.Covered(0, 5));
    EXPECT_FALSE(probe.Covered(0, 47));
}

TEST(DrawLogoPosition, ShortFramesGetTheTopRowsAtRowZero) {
    PositionProbe probe(300, 10, 265, 41);
    EXPECT_TRUE(DrawLogo(&probe.frame, &probe.image.layout));
    // x = (300 - 265) >> 1 = 17, y = 10 >> 4 = 0.
    for (LONG row = 0; row < 10; ++row) {
        EXPECT_TRUE(probe.Covered(17, row)) << row;
        EXPECT_EQ(row, probe.Pixel(17, row)[1]);
        EXPECT_EQ(0, probe.Pixel(17, row)[0]);
        EXPECT_FALSE(probe.Covered(16, row));
        EXPECT_TRUE(probe.Covered(281, row));
        EXPECT_FALSE(probe.Covered(282, row));
    }
}

TEST(DrawLogoPosition, ImageMayStartAboveAndLeftOfTheFrame) {
    PositionProbe probe(8, 8, 4, 4);
    EXPECT_TRUE(BlendImage(&probe.frame, &probe.image.layout, -2, -3));
    EXPECT_EQ(2, probe.Pixel(0, 0)[0]);
    EXPECT_EQ(3, probe.Pixel(0, 0)[1]);
    EXPECT_TRUE(probe.Covered(1, 0));
    EXPECT_FALSE(probe.Covered(2, 0));
    EXPECT_FALSE(probe.Covered(0, 1));
}

TEST(DrawLogoPosition, RegionsOutsideTheFrameDrawNothing) {
    PositionProbe probe(8, 8, 4, 4);
    const std::vector<BYTE> before = probe.pixels;
    EXPECT_TRUE(BlendImage(&probe.frame, &probe.image.layout, 8, 0));
    EXPECT_TRUE(BlendImage(&probe.frame, &probe.image.layout, 0, -4));
    EXPECT_TRUE(BlendImage(&probe.frame, &probe.image.layout, INT32_MIN, INT32_MAX));
    EXPECT_TRUE(BlendImage(&probe.frame, &probe.image.layout, INT32_MAX, 0));
    EXPECT_EQ(before, probe.pixels);
}

TEST(BlendRefusals, FormatsNotDrawnOnAreLeftWithTrueOrFalse) {
    TestImage image(4, 4);
    image.Fill(255, 255, 255, 127);
    std::vector<BYTE> bytes(4 * 4 * 4, 77);
    const std::vector<BYTE> before = bytes;
    for (DWORD fourcc : {FourccV210, FourccP444, FourccBitFields, FourccRgba, MakeFourcc('X', 'Y', 'Z', 'W')}) {
        VideoFrameLayout frame = RgbFrame(bytes, 4, 4, 32);
        frame.fourcc = fourcc;
        EXPECT_TRUE(BlendImage(&frame, &image.layout, 0, 0)) << std::hex << fourcc;
    }
    VideoFrameLayout rgb565 = RgbFrame(bytes, 4, 4, 16);
    EXPECT_FALSE(BlendImage(&rgb565, &image.layout, 0, 0));
    EXPECT_FALSE(DrawLogo(&rgb565, &image.layout));
    EXPECT_EQ(before, bytes);
}

TEST(BlendRefusals, ImageMustBe32BitRgba) {
    std::vector<BYTE> bytes(4 * 4 * 4, 77);
    const std::vector<BYTE> before = bytes;
    VideoFrameLayout frame = RgbFrame(bytes, 4, 4, 32);
    TestImage image(4, 4);
    image.Fill(255, 255, 255, 127);
    for (DWORD fourcc : {FourccRgba, FourccRgb, FourccBitFields}) {
        VideoFrameLayout accepted = image.layout;
        accepted.fourcc = fourcc;
        VideoFrameLayout copy = frame;
        std::vector<BYTE> scratch = before;
        copy.planes[0] = scratch.data();
        EXPECT_TRUE(BlendImage(&copy, &accepted, 0, 0)) << fourcc;
        EXPECT_NE(before, scratch) << fourcc;
    }
    VideoFrameLayout wrongDepth = image.layout;
    wrongDepth.bitCount = 24;
    EXPECT_FALSE(BlendImage(&frame, &wrongDepth, 0, 0));
    VideoFrameLayout wrongCode = image.layout;
    wrongCode.fourcc = FourccYuy2;
    EXPECT_FALSE(BlendImage(&frame, &wrongCode, 0, 0));
    VideoFrameLayout noPixels = image.layout;
    noPixels.planes[0] = nullptr;
    EXPECT_FALSE(BlendImage(&frame, &noPixels, 0, 0));
    EXPECT_FALSE(BlendImage(nullptr, &image.layout, 0, 0));
    EXPECT_FALSE(BlendImage(&frame, nullptr, 0, 0));
    EXPECT_EQ(before, bytes);
}

TEST(BlendRefusals, ImageRecordIsNotChanged) {
    std::vector<BYTE> bytes(16 * 4 * 4, 77);
    VideoFrameLayout frame = RgbFrame(bytes, 16, 4, 32);
    TestImage image(8, 8);
    image.Fill(1, 2, 3, 4);
    const VideoFrameLayout before = image.layout;
    EXPECT_TRUE(BlendImage(&frame, &image.layout, -3, -2));
    EXPECT_EQ(0, memcmp(&before, &image.layout, sizeof before));
}

}  // namespace
