// The conversions around the graph: planar 4:2:2 to YUY2 and back, YUV to RGB
// for snapshots, and the built-in colour bars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/dravik_stamp/colour_bars.h"
#include "tools/dravik_stamp/frame_packing.h"
#include "tools/dravik_stamp/rgb_picture.h"

namespace {

ClipFormat Format422(int width, int height) {
    ClipFormat format;
    format.width = width;
    format.height = height;
    format.chroma = ChromaLayout::Planar422;
    return format;
}

TEST(FramePacking, Yuy2OrderAndRoundTrip) {
    const ClipFormat format = Format422(4, 2);
    // Y rows "abcd" "efgh", U "AB" "CD", V "1234".
    const std::string planar = "abcdefghABCD1234";
    std::vector<unsigned char> packed(format.FrameSize());
    PackPlanar422ToYuy2(format, reinterpret_cast<const unsigned char*>(planar.data()), packed.data());
    EXPECT_EQ("aAb1cBd2eCf3gDh4", std::string(packed.begin(), packed.end()));
    std::vector<unsigned char> back(format.FrameSize());
    UnpackYuy2ToPlanar422(format, packed.data(), back.data());
    EXPECT_EQ(planar, std::string(back.begin(), back.end()));
}

TEST(RgbPicture, LimitedRangeLevels) {
    ClipFormat format;
    format.width = 2;
    format.height = 2;
    // Black left column, white right column (luma), neutral chroma.
    const unsigned char planar[6] = {16, 235, 16, 235, 128, 128};
    const std::vector<unsigned char> rgb = FrameToRgb(format, planar);
    const std::vector<unsigned char> expected = {0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255};
    EXPECT_EQ(expected, rgb);
    // 75% red of the bars: Y 65, Cb 100, Cr 212 is close to (191, 0, 0).
    const unsigned char red[6] = {65, 65, 65, 65, 100, 212};
    const std::vector<unsigned char> redRgb = FrameToRgb(format, red);
    EXPECT_NEAR(191, redRgb[0], 2);
    EXPECT_NEAR(0, redRgb[1], 2);
    EXPECT_NEAR(0, redRgb[2], 2);
}

TEST(RgbPicture, EachPixelTakesTheChromaSampleCoveringIt) {
    const ClipFormat format = Format422(4, 2);
    // Luma 126 everywhere; the right pair of the bottom row has strong blue chroma.
    std::vector<unsigned char> planar(format.FrameSize(), 126);
    unsigned char* cb = planar.data() + format.LumaSize();
    unsigned char* cr = cb + format.ChromaPlaneSize();
    for (int i = 0; i < 4; ++i) cb[i] = cr[i] = 128;
    cb[3] = 240;
    const std::vector<unsigned char> rgb = FrameToRgb(format, planar.data());
    const size_t bottomRight = (1 * 4 + 3) * 3, bottomLeft = (1 * 4 + 1) * 3, topRight = (0 * 4 + 3) * 3;
    EXPECT_GT(rgb[bottomRight + 2], rgb[bottomRight]);
    EXPECT_EQ(rgb[bottomLeft], rgb[bottomLeft + 2]);
    EXPECT_EQ(rgb[topRight], rgb[topRight + 2]);
}

TEST(ColourBars, DefaultClipAndItsFrames) {
    const ClipFormat format = DefaultColourBarFormat();
    EXPECT_EQ(1920, format.width);
    EXPECT_EQ(1080, format.height);
    EXPECT_EQ(ChromaLayout::Planar420, format.chroma);
    EXPECT_EQ(25, format.rateNumerator);
    EXPECT_EQ(1, format.rateDenominator);
    EXPECT_EQ('p', format.interlace);

    ColourBarClip clip(format, 2);
    std::vector<unsigned char> first, second, none;
    std::string error;
    ASSERT_EQ(FrameResult::Frame, clip.NextFrame(&first, &error));
    ASSERT_EQ(FrameResult::Frame, clip.NextFrame(&second, &error));
    EXPECT_EQ(FrameResult::End, clip.NextFrame(&none, &error));
    ASSERT_EQ(format.FrameSize(), first.size());
    // Bars: white 75% in the first eighth, yellow in the second, black in the last.
    EXPECT_EQ(180, first[100 * 1920 + 10]);
    EXPECT_EQ(162, first[100 * 1920 + 250]);
    EXPECT_EQ(16, first[100 * 1920 + 1910]);
    const unsigned char* cb = first.data() + format.LumaSize();
    const unsigned char* cr = cb + format.ChromaPlaneSize();
    EXPECT_EQ(44, cb[50 * 960 + 125]);
    EXPECT_EQ(142, cr[50 * 960 + 125]);
    // The ramp runs from black to white along the bottom; the block moves on.
    EXPECT_EQ(16, first[1070 * 1920 + 0]);
    EXPECT_EQ(235, first[1070 * 1920 + 1919]);
    EXPECT_NE(first, second);
}

TEST(ColourBars, Any422Size) {
    const ClipFormat format = Format422(16, 8);
    ColourBarClip clip(format, 1);
    std::vector<unsigned char> frame;
    std::string error;
    ASSERT_EQ(FrameResult::Frame, clip.NextFrame(&frame, &error));
    EXPECT_EQ(format.FrameSize(), frame.size());
    const unsigned char* cb = frame.data() + format.LumaSize();
    EXPECT_EQ(44, cb[1 * 8 + 1]) << "the second chroma row is yellow too";
}

}  // namespace
