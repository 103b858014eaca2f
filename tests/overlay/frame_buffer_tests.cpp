// Buffers of our own: their sizes, their layout and the aligned allocation.
#include <gtest/gtest.h>

#include <stdint.h>

#include <vector>

#include "overlay/aligned_buffer.h"
#include "overlay/frame_buffer.h"
#include "overlay/pixel_formats.h"

namespace {

VideoFrameLayout Layout(LONG width, LONG height, LONG bitCount, DWORD fourcc) {
    VideoFrameLayout frame{};
    frame.width = width;
    frame.height = height;
    frame.bitCount = bitCount;
    frame.fourcc = fourcc;
    return frame;
}

LONG SizeOf(const VideoFrameLayout& frame) {
    LONG size = -1;
    EXPECT_TRUE(FrameBufferSize(&frame, &size));
    return size;
}

TEST(FrameBufferSize, ExamplesOfEachTable) {
    EXPECT_EQ(43952, SizeOf(Layout(265, 41, 32, FourccRgba)));
    EXPECT_EQ(5120 * 2, SizeOf(Layout(1920, 2, 20, FourccV210)));
    EXPECT_EQ(960 * 3244, SizeOf(Layout(1920, 1081, 12, FourccNv12)));
    EXPECT_EQ(5760 * 1080, SizeOf(Layout(1920, 1080, 24, FourccRgb)));
    // 1919 rounds up to 1920 pixels of two bytes.
    EXPECT_EQ(3840 * 3, SizeOf(Layout(1919, 3, 16, FourccYuy2)));
    // cw = (960 + 15) & ~15 = 960 for 1919 too.
    EXPECT_EQ(960 * 1080 * 4, SizeOf(Layout(1919, 1080, 16, FourccP422)));
    EXPECT_EQ(1936 * 10 * 3, SizeOf(Layout(1921, 10, 24, FourccP444)));
    for (DWORD fourcc : {FourccI420, FourccIyuv, FourccYv12, FourccP420}) {
        EXPECT_EQ(976 * 3 * 40, SizeOf(Layout(1940, 40, 12, fourcc)));
    }
}

TEST(FrameBufferSize, RefusesUnknownCodesAndUnusableSizes) {
    LONG size = 0;
    VideoFrameLayout bitFields = Layout(64, 64, 32, FourccBitFields);
    EXPECT_FALSE(FrameBufferSize(&bitFields, &size));
    VideoFrameLayout unknown = Layout(64, 64, 32, MakeFourcc('X', 'Y', 'Z', 'W'));
    EXPECT_FALSE(FrameBufferSize(&unknown, &size));
    VideoFrameLayout noWidth = Layout(0, 64, 32, FourccRgba);
    EXPECT_FALSE(FrameBufferSize(&noWidth, &size));
    VideoFrameLayout negativeHeight = Layout(64, -64, 32, FourccRgba);
    EXPECT_FALSE(FrameBufferSize(&negativeHeight, &size));
    VideoFrameLayout huge = Layout(1 << 20, 1 << 12, 32, FourccRgba);
    EXPECT_FALSE(FrameBufferSize(&huge, &size));
    VideoFrameLayout hugeWidth = Layout(INT32_MAX, 2, 12, FourccNv12);
    EXPECT_FALSE(FrameBufferSize(&hugeWidth, &size));
    // Products past 64 bits, and packed 4:2:2 rows narrower than the two bytes a pixel the blend takes.
    for (VideoFrameLayout layout : {Layout(INT32_MAX, INT32_MAX, INT32_MAX, FourccRgba),
                                    Layout(INT32_MAX, INT32_MAX, 12, FourccP444), Layout(64, 64, 8, FourccYuy2),
                                    Layout(64, 64, 15, FourccUyvy)}) {
        EXPECT_FALSE(FrameBufferSize(&layout, &size)) << layout.width << " " << layout.bitCount;
        std::vector<BYTE> buffer(64);
        EXPECT_FALSE(AttachFrameBuffer(&layout, buffer.data()));
    }
    EXPECT_FALSE(FrameBufferSize(nullptr, &size));
}

struct AttachCase {
    DWORD fourcc;
    LONG bitCount;
    LONG strides[3];
    LONG steps[3];
    ptrdiff_t offsets[3];  // -1: plane left unset
};

// A 100 x 11 picture: cw = (50 + 15) & ~15 = 64.
const AttachCase AttachCases[] = {
    {FourccRgba, 32, {400, 0, 0}, {4, 0, 0}, {0, -1, -1}},
    {FourccRgb, 24, {304, 0, 0}, {3, 0, 0}, {0, -1, -1}},
    {FourccYuy2, 16, {208, 0, 0}, {2, 0, 0}, {0, -1, -1}},
    {FourccUyvy, 16, {208, 0, 0}, {2, 0, 0}, {0, -1, -1}},
    {FourccHdyc, 16, {208, 0, 0}, {2, 0, 0}, {0, -1, -1}},
    {FourccV210, 20, {384, 0, 0}, {2, 0, 0}, {0, -1, -1}},
    {FourccYv12, 12, {128, 64, 64}, {1, 1, 1}, {0, 1408, 1408 + 384}},
    {FourccIyuv, 12, {128, 64, 64}, {1, 1, 1}, {0, 1408, 1408 + 384}},
    {FourccI420, 12, {128, 64, 64}, {1, 1, 1}, {0, 1408, 1408 + 384}},
    {FourccP420, 12, {128, 64, 64}, {1, 1, 1}, {0, 1408, 1408 + 384}},
    {FourccNv12, 12, {128, 128, 128}, {1, 2, 2}, {0, 1408, 1409}},
    {FourccP422, 16, {128, 64, 64}, {1, 1, 1}, {0, 1408, 1408 + 704}},
    {FourccP444, 24, {112, 112, 112}, {1, 1, 1}, {0, 1232, 2464}},
};

TEST(AttachFrameBuffer, LaysOutEachFormatContiguously) {
    for (const AttachCase& c : AttachCases) {
        VideoFrameLayout frame = Layout(100, 11, c.bitCount, c.fourcc);
        LONG size = SizeOf(frame);
        BYTE* buffer = AllocateAlignedBuffer(size);
        ASSERT_NE(nullptr, buffer);
        ASSERT_TRUE(AttachFrameBuffer(&frame, buffer)) << std::hex << c.fourcc;
        for (int plane = 0; plane < 3; ++plane) {
            SCOPED_TRACE(testing::Message() << std::hex << c.fourcc << std::dec << " plane " << plane);
            if (c.offsets[plane] < 0) {
                EXPECT_EQ(nullptr, frame.planes[plane]);
                continue;
            }
            EXPECT_EQ(buffer + c.offsets[plane], frame.planes[plane]);
            EXPECT_EQ(c.strides[plane], frame.strides[plane]);
            EXPECT_EQ(c.steps[plane], frame.sampleStep[plane]);
        }
        FreeAlignedBuffer(buffer);
    }
}

TEST(AttachFrameBuffer, LastPlaneEndsAtTheBufferSize) {
    VideoFrameLayout i420 = Layout(100, 11, 12, FourccI420);
    BYTE buffer[4096];
    ASSERT_TRUE(AttachFrameBuffer(&i420, buffer));
    EXPECT_EQ(buffer + SizeOf(i420), i420.planes[2] + 6 * i420.strides[2]);
    VideoFrameLayout p444 = Layout(100, 11, 24, FourccP444);
    ASSERT_TRUE(AttachFrameBuffer(&p444, buffer));
    EXPECT_EQ(buffer + SizeOf(p444), p444.planes[2] + 11 * p444.strides[2]);
}

TEST(AttachFrameBuffer, RefusesNullAndUnknownFormats) {
    BYTE buffer[64];
    VideoFrameLayout frame = Layout(4, 4, 32, FourccRgba);
    EXPECT_FALSE(AttachFrameBuffer(&frame, nullptr));
    EXPECT_EQ(nullptr, frame.planes[0]);
    EXPECT_FALSE(AttachFrameBuffer(nullptr, buffer));
    VideoFrameLayout bitFields = Layout(4, 4, 32, FourccBitFields);
    EXPECT_FALSE(AttachFrameBuffer(&bitFields, buffer));
    EXPECT_EQ(buffer, bitFields.planes[0]);
    EXPECT_EQ(0, bitFields.strides[0]);
}

TEST(AlignedBuffer, StartsOnSixteenBytesAndRefusesNonPositiveSizes) {
    for (LONG size : {1, 15, 43952, 3110400}) {
        BYTE* buffer = AllocateAlignedBuffer(size);
        ASSERT_NE(nullptr, buffer);
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(buffer) % 16) << size;
        buffer[size - 1] = 1;
        FreeAlignedBuffer(buffer);
    }
    EXPECT_EQ(nullptr, AllocateAlignedBuffer(0));
    EXPECT_EQ(nullptr, AllocateAlignedBuffer(-16));
    FreeAlignedBuffer(nullptr);
}

}  // namespace
