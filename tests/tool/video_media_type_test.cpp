// The media type the clip travels in, and the YUV4MPEG2 timing fields it carries.
#include <gtest/gtest.h>
#include <wmcodecdsp.h>

#include <dshow.h>
#include <dvdmedia.h>

#include "tools/dravik_stamp/video_media_type.h"
#include "tools/dravik_stamp/y4m_reader.h"

namespace {

ClipFormat Parse(const std::string& line) {
    ClipFormat format;
    std::string error;
    EXPECT_TRUE(ParseY4mHeader(line, &format, &error)) << error;
    return format;
}

TEST(VideoMediaType, FrameTimes) {
    EXPECT_EQ(400000, FrameTimeFromRate(25, 1));
    EXPECT_EQ(333667, FrameTimeFromRate(30000, 1001));
    EXPECT_EQ(166833, FrameTimeFromRate(60000, 1001));
    EXPECT_EQ(10000000, FrameTimeFromRate(1, 1));
}

TEST(VideoMediaType, InterlaceTagsSurviveTheFlags) {
    for (char tag : {'p', 't', 'b', 'm'}) EXPECT_EQ(tag, InterlaceTagFromFlags(InterlaceFlagsFromTag(tag)));
    EXPECT_EQ(0u, InterlaceFlagsFromTag('?'));
    EXPECT_EQ(0u, InterlaceFlagsFromTag('p'));
    EXPECT_EQ('t', InterlaceTagFromFlags(AMINTERLACE_IsInterlaced | AMINTERLACE_Field1First));
    EXPECT_EQ('b', InterlaceTagFromFlags(AMINTERLACE_IsInterlaced));
}

TEST(VideoMediaType, I420ForPlanar420) {
    const ClipFormat format = Parse("YUV4MPEG2 W64 H32 F30000:1001 It A4:3");
    COwnedMediaType type;
    ASSERT_EQ(S_OK, BuildVideoType(format, &type));
    EXPECT_EQ(MEDIATYPE_Video, type.majortype);
    EXPECT_EQ(MEDIASUBTYPE_I420, type.subtype);
    EXPECT_EQ(FORMAT_VideoInfo2, type.formattype);
    EXPECT_EQ(64u * 32 * 3 / 2, type.lSampleSize);
    ASSERT_EQ(sizeof(VIDEOINFOHEADER2), type.cbFormat);
    const VIDEOINFOHEADER2* header = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
    EXPECT_EQ(64, header->rcSource.right);
    EXPECT_EQ(32, header->rcSource.bottom);
    EXPECT_EQ(64, header->rcTarget.right);
    EXPECT_EQ(333667, header->AvgTimePerFrame);
    EXPECT_EQ(InterlaceFlagsFromTag('t'), header->dwInterlaceFlags);
    // 64 x 32 pixels of shape 4:3 make a picture of 8:3.
    EXPECT_EQ(8u, header->dwPictAspectRatioX);
    EXPECT_EQ(3u, header->dwPictAspectRatioY);
    EXPECT_EQ(64, header->bmiHeader.biWidth);
    EXPECT_EQ(32, header->bmiHeader.biHeight);
    EXPECT_EQ(12, header->bmiHeader.biBitCount);
    EXPECT_EQ(0x30323449u, header->bmiHeader.biCompression);
    EXPECT_EQ(64u * 32 * 3 / 2, header->bmiHeader.biSizeImage);

    REFERENCE_TIME frameTime = 0;
    DWORD flags = 0;
    ASSERT_TRUE(ReadVideoType(type, format, &frameTime, &flags));
    EXPECT_EQ(333667, frameTime);
    EXPECT_EQ(InterlaceFlagsFromTag('t'), flags);
}

TEST(VideoMediaType, Yuy2ForPlanar422) {
    const ClipFormat format = Parse("YUV4MPEG2 W64 H31 F25:1 C422");
    COwnedMediaType type;
    ASSERT_EQ(S_OK, BuildVideoType(format, &type));
    EXPECT_EQ(MEDIASUBTYPE_YUY2, type.subtype);
    const VIDEOINFOHEADER2* header = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
    EXPECT_EQ(16, header->bmiHeader.biBitCount);
    EXPECT_EQ(64u * 31 * 2, header->bmiHeader.biSizeImage);
    EXPECT_EQ(64u * 31 * 2, type.lSampleSize);
    EXPECT_EQ(64u, header->dwPictAspectRatioX) << "no A tag: square pixels";
    EXPECT_EQ(31u, header->dwPictAspectRatioY);
}

TEST(VideoMediaType, ReadRefusesOtherPictures) {
    const ClipFormat format = Parse("YUV4MPEG2 W64 H32 F25:1");
    REFERENCE_TIME frameTime = 0;
    DWORD flags = 0;
    COwnedMediaType other;
    ASSERT_EQ(S_OK, BuildVideoType(Parse("YUV4MPEG2 W64 H30 F25:1"), &other));
    EXPECT_FALSE(ReadVideoType(other, format, &frameTime, &flags)) << "another height";
    ASSERT_EQ(S_OK, BuildVideoType(Parse("YUV4MPEG2 W64 H32 F25:1 C422"), &other));
    EXPECT_FALSE(ReadVideoType(other, format, &frameTime, &flags)) << "another layout";
    COwnedMediaType same;
    ASSERT_EQ(S_OK, BuildVideoType(format, &same));
    same.cbFormat = sizeof(VIDEOINFOHEADER2) - 1;
    EXPECT_FALSE(ReadVideoType(same, format, &frameTime, &flags)) << "a short format block";
    same.cbFormat = sizeof(VIDEOINFOHEADER2);
    same.SetMajorType(MEDIATYPE_Audio);
    EXPECT_FALSE(ReadVideoType(same, format, &frameTime, &flags));
}

TEST(VideoMediaType, TimingOfTheOutput) {
    const ClipFormat input = Parse("YUV4MPEG2 W64 H32 F30000:1001 I? A1:1 C420paldv");
    ClipFormat output = FormatWithTiming(input, 333667, 0);
    EXPECT_EQ(30000, output.rateNumerator) << "an unchanged frame time keeps its exact rate";
    EXPECT_EQ(1001, output.rateDenominator);
    EXPECT_EQ('?', output.interlace) << "unchanged flags keep the unknown tag";
    EXPECT_EQ("420paldv", output.colourTag);

    output = FormatWithTiming(input, 200000, InterlaceFlagsFromTag('b'));
    EXPECT_EQ(50, output.rateNumerator);
    EXPECT_EQ(1, output.rateDenominator);
    EXPECT_EQ('b', output.interlace);
    output = FormatWithTiming(input, 417083, 0);
    EXPECT_EQ(10000000, output.rateNumerator);
    EXPECT_EQ(417083, output.rateDenominator);
}

}  // namespace
