// Describing frames from VIDEOINFOHEADER, VIDEOINFOHEADER2 and the companion's planar block.
#include <gtest/gtest.h>

#include <vector>

#include "overlay/frame_description.h"
#include "overlay/pixel_formats.h"
#include "tests/overlay/test_media_sample.h"
#include "tests/overlay/test_media_types.h"
#include "tests/overlay/test_planar_sample.h"

namespace {

struct Described {
    bool ok;
    VideoFrameLayout frame;
};

// Describes the type over a buffer of the given size and checks that no
// reference to the sample is left behind.
Described DescribeOver(TestMediaType& type, std::vector<BYTE>& buffer) {
    CTestMediaSample sample(buffer.data(), static_cast<LONG>(buffer.size()));
    Described result{false, {}};
    result.ok = DescribeFrame(&result.frame, type.Get(), &sample);
    EXPECT_EQ(1u, sample.RefCount());
    return result;
}

TEST(DescribeFrameWidth, ComesFromSourceRectangleElseRowWidth) {
    std::vector<BYTE> buffer(1920 * 1080 * 4);
    TestMediaType whole = VideoInfoType(1920, 1080, 32, BI_RGB, 0);
    Described full = DescribeOver(whole, buffer);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(1920, full.frame.width);

    TestMediaType cropped = VideoInfoType(1920, 1080, 32, BI_RGB, 1280);
    Described part = DescribeOver(cropped, buffer);
    ASSERT_TRUE(part.ok);
    EXPECT_EQ(1280, part.frame.width);
    EXPECT_EQ(-7680, part.frame.strides[0]);
}

TEST(DescribeFrameRgb, Rgb24RowsAreDwordAlignedAndBottomUp) {
    std::vector<BYTE> buffer(5756 * 1080);
    TestMediaType type = VideoInfoType(1918, 1080, 24, BI_RGB);
    Described described = DescribeOver(type, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(1918, described.frame.width);
    EXPECT_EQ(1080, described.frame.height);
    EXPECT_EQ(-5756, described.frame.strides[0]);
    EXPECT_EQ(buffer.data() + 1079 * 5756, described.frame.planes[0]);
    EXPECT_EQ(3, described.frame.sampleStep[0]);
}

TEST(DescribeFrameRgb, NegativeHeightIsTopDown) {
    std::vector<BYTE> buffer(7680 * 1080);
    TestMediaType type = VideoInfoType(1920, -1080, 32, BI_RGB);
    Described described = DescribeOver(type, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(1080, described.frame.height);
    EXPECT_EQ(7680, described.frame.strides[0]);
    EXPECT_EQ(buffer.data(), described.frame.planes[0]);
}

TEST(DescribeFrameRgb, BitFieldsAreBottomUpWithoutStrideRounding) {
    std::vector<BYTE> buffer(7684 * 1080);
    for (DWORD code : {static_cast<DWORD>(BI_BITFIELDS), static_cast<DWORD>(BI_RGB)}) {
        TestMediaType type = VideoInfoType(1920, 1080, 32, code);
        CTestMediaSample sample(buffer.data(), static_cast<LONG>(buffer.size()));
        VideoFrameLayout frame{};
        frame.strides[0] = 7682;
        ASSERT_TRUE(DescribeFrame(&frame, type.Get(), &sample));
        const LONG expected = code == BI_RGB ? 7684 : 7682;
        EXPECT_EQ(-expected, frame.strides[0]) << "code " << code;
        EXPECT_EQ(buffer.data() + 1079 * expected, frame.planes[0]) << "code " << code;
    }
}

TEST(DescribeFrameYuv, I420AndYv12ChromaPlanes) {
    std::vector<BYTE> buffer(1920 * 1080 * 3 / 2);
    TestMediaType i420 = VideoInfoType(1920, 1080, 12, FourccI420);
    Described described = DescribeOver(i420, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(1920, described.frame.strides[0]);
    EXPECT_EQ(960, described.frame.strides[1]);
    EXPECT_EQ(960, described.frame.strides[2]);
    EXPECT_EQ(buffer.data(), described.frame.planes[0]);
    EXPECT_EQ(buffer.data() + 2073600, described.frame.planes[1]);
    EXPECT_EQ(buffer.data() + 2592000, described.frame.planes[2]);
    EXPECT_EQ(1, described.frame.sampleStep[0]);
    EXPECT_EQ(1, described.frame.sampleStep[1]);
    EXPECT_EQ(1, described.frame.sampleStep[2]);

    TestMediaType yv12 = VideoInfoType(1920, 1080, 12, FourccYv12);
    described = DescribeOver(yv12, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(buffer.data() + 2592000, described.frame.planes[1]);
    EXPECT_EQ(buffer.data() + 2073600, described.frame.planes[2]);

    TestMediaType iyuv = VideoInfo2Type(1920, 1080, 12, FourccIyuv);
    described = DescribeOver(iyuv, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(buffer.data() + 2073600, described.frame.planes[1]);
    EXPECT_EQ(buffer.data() + 2592000, described.frame.planes[2]);
}

TEST(DescribeFrameYuv, Nv12OddHeightPlacesChromaAfterAllRows) {
    std::vector<BYTE> buffer(1920 * 1081 + 1920 * 541);
    TestMediaType type = VideoInfoType(1920, 1081, 12, FourccNv12);
    Described described = DescribeOver(type, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(1080, described.frame.height);
    EXPECT_EQ(buffer.data() + 1081 * 1920, described.frame.planes[1]);
    EXPECT_EQ(described.frame.planes[1] + 1, described.frame.planes[2]);
    EXPECT_EQ(1920, described.frame.strides[1]);
    EXPECT_EQ(1920, described.frame.strides[2]);
    EXPECT_EQ(1, described.frame.sampleStep[0]);
    EXPECT_EQ(2, described.frame.sampleStep[1]);
    EXPECT_EQ(2, described.frame.sampleStep[2]);
}

TEST(DescribeFrameYuv, PackedOddWidthLosesLastColumnButKeepsOddHeight) {
    std::vector<BYTE> buffer(3838 * 1081);
    TestMediaType type = VideoInfo2Type(1919, 1081, 16, FourccYuy2);
    Described described = DescribeOver(type, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(1918, described.frame.width);
    EXPECT_EQ(1081, described.frame.height);
    EXPECT_EQ(3838, described.frame.strides[0]);
    EXPECT_EQ(buffer.data(), described.frame.planes[0]);
    EXPECT_EQ(2, described.frame.sampleStep[0]);
}

TEST(DescribeFrameYuv, V210RowsArePaddedTo128Bytes) {
    std::vector<BYTE> buffer(5120 * 1080);
    TestMediaType type = VideoInfoType(1920, 1080, 20, FourccV210);
    Described described = DescribeOver(type, buffer);
    ASSERT_TRUE(described.ok);
    EXPECT_EQ(5120, described.frame.strides[0]);
}

TEST(DescribeFrameFields, PresetFieldsAndPlaneAreKept) {
    std::vector<BYTE> own(640 * 4 * 480);
    TestMediaType type = VideoInfoType(1920, 1080, 32, BI_RGB);
    CTestMediaSample sample(nullptr, 0);
    sample.SetPointerResult(E_FAIL);
    VideoFrameLayout frame{};
    frame.width = 640;
    frame.height = -480;
    frame.planes[0] = own.data();
    frame.strides[0] = 2560;
    ASSERT_TRUE(DescribeFrame(&frame, type.Get(), &sample));
    EXPECT_EQ(640, frame.width);
    EXPECT_EQ(480, frame.height);
    EXPECT_EQ(own.data(), frame.planes[0]);
    EXPECT_EQ(2560, frame.strides[0]);
    EXPECT_EQ(1u, sample.RefCount());
}

TEST(DescribeFrameFields, WithoutSampleNoPlaneIsSet) {
    TestMediaType type = VideoInfoType(1920, 1080, 12, FourccI420);
    VideoFrameLayout frame{};
    ASSERT_TRUE(DescribeFrame(&frame, type.Get(), nullptr));
    EXPECT_EQ(1920, frame.width);
    EXPECT_EQ(1080, frame.height);
    EXPECT_EQ(12, frame.bitCount);
    EXPECT_EQ(FourccI420, frame.fourcc);
    EXPECT_EQ(nullptr, frame.planes[0]);
    EXPECT_EQ(nullptr, frame.planes[1]);
    EXPECT_EQ(nullptr, frame.planes[2]);
    EXPECT_EQ(1920, frame.strides[0]);
}

TEST(DescribeFrameFailures, UnknownFormatTypeAndFailedPointer) {
    TestMediaType other(FORMAT_WaveFormatEx, 64);
    VideoFrameLayout frame{};
    EXPECT_FALSE(DescribeFrame(&frame, other.Get(), nullptr));

    std::vector<BYTE> buffer(7680 * 1080);
    TestMediaType type = VideoInfoType(1920, 1080, 32, BI_RGB);
    for (HRESULT result : {E_FAIL, S_FALSE}) {
        CTestMediaSample sample(buffer.data(), static_cast<LONG>(buffer.size()));
        sample.SetPointerResult(result);
        VideoFrameLayout failed{};
        EXPECT_FALSE(DescribeFrame(&failed, type.Get(), &sample)) << std::hex << result;
    }
    VideoFrameLayout nothing{};
    EXPECT_FALSE(DescribeFrame(nullptr, type.Get(), nullptr));
    EXPECT_FALSE(DescribeFrame(&nothing, nullptr, nullptr));
}

TEST(DescribeFramePlanar, ThreePlanesComeFromTheSample) {
    std::vector<BYTE> buffer(2048 * 1080 + 2 * 1024 * 540);
    BYTE* const luma = buffer.data();
    BYTE* const u = luma + 2048 * 1080;
    BYTE* const v = u + 1024 * 540;
    TestMediaType type = PlanarVideoType(1920, 1080, 12, FourccP420, 3);
    CTestPlanarSample sample(buffer.data(), static_cast<LONG>(buffer.size()));
    sample.SetPlane(0, luma, 2048);
    sample.SetPlane(1, u, 1024);
    sample.SetPlane(2, v, 1024);
    VideoFrameLayout frame{};
    frame.width = 7;  // the planar block overrides preset fields
    ASSERT_TRUE(DescribeFrame(&frame, type.Get(), &sample));
    EXPECT_EQ(1920, frame.width);
    EXPECT_EQ(1080, frame.height);
    EXPECT_EQ(12, frame.bitCount);
    EXPECT_EQ(FourccP420, frame.fourcc);
    EXPECT_EQ(luma, frame.planes[0]);
    EXPECT_EQ(u, frame.planes[1]);
    EXPECT_EQ(v, frame.planes[2]);
    EXPECT_EQ(2048, frame.strides[0]);
    EXPECT_EQ(1024, frame.strides[1]);
    EXPECT_EQ(1, frame.sampleStep[0]);
    EXPECT_EQ(1, frame.sampleStep[1]);
    EXPECT_EQ(1, frame.sampleStep[2]);
    EXPECT_EQ(3, sample.PlanesHandedOut());
    EXPECT_TRUE(sample.ReleasedPlanes().empty());
    EXPECT_EQ(1u, sample.RefCount());
}

TEST(DescribeFramePlanar, RefusedBlocksAndSamples) {
    TestMediaType twoPlanes = PlanarVideoType(1920, 1080, 12, FourccP420, 2);
    CTestPlanarSample sample;
    VideoFrameLayout frame{};
    EXPECT_FALSE(DescribeFrame(&frame, twoPlanes.Get(), &sample));
    EXPECT_EQ(0, sample.PlanesHandedOut());

    TestMediaType noAccess = PlanarVideoType(1920, 1080, 12, FourccP420, 3, 0);
    frame = {};
    EXPECT_FALSE(DescribeFrame(&frame, noAccess.Get(), &sample));

    std::vector<BYTE> buffer(1920 * 1620);
    CTestMediaSample plain(buffer.data(), static_cast<LONG>(buffer.size()));
    TestMediaType threePlanes = PlanarVideoType(1920, 1080, 12, FourccP420, 3);
    frame = {};
    EXPECT_FALSE(DescribeFrame(&frame, threePlanes.Get(), &plain));
    EXPECT_EQ(1u, plain.RefCount());
    EXPECT_EQ(1u, sample.RefCount());
}

TEST(DescribeFramePlanar, FailedPlaneReleasesTheOnesBefore) {
    std::vector<BYTE> plane(4096);
    TestMediaType type = PlanarVideoType(64, 32, 12, FourccP420, 3);
    CTestPlanarSample sample;
    for (LONG index = 0; index < 3; ++index) sample.SetPlane(index, plane.data(), 64);
    sample.FailPlane(2);
    VideoFrameLayout frame{};
    EXPECT_FALSE(DescribeFrame(&frame, type.Get(), &sample));
    EXPECT_EQ(2, sample.PlanesHandedOut());
    EXPECT_EQ((std::vector<LONG>{0, 1}), sample.ReleasedPlanes());
    EXPECT_EQ(1u, sample.RefCount());
}

TEST(DescribeFramePlanar, OnePlaneNv12DerivesItsChroma) {
    std::vector<BYTE> plane(1920 * 1620);
    TestMediaType type = PlanarVideoType(1920, 1080, 12, FourccNv12, 1);
    CTestPlanarSample sample(plane.data(), static_cast<LONG>(plane.size()));
    sample.SetPlane(0, plane.data(), 1920);
    VideoFrameLayout frame{};
    ASSERT_TRUE(DescribeFrame(&frame, type.Get(), &sample));
    EXPECT_EQ(plane.data() + 1920 * 1080, frame.planes[1]);
    EXPECT_EQ(plane.data() + 1920 * 1080 + 1, frame.planes[2]);
    EXPECT_EQ(1u, sample.RefCount());
}

}  // namespace
