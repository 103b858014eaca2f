// Copying, comparing and matching media types, and the bitmap size rule.
#include <gtest/gtest.h>

#include <dshow.h>

#include "framework/media_type.h"

namespace {

// Counts references so tests can see that pUnk is held exactly once per record.
struct CountingUnknown : IUnknown {
    LONG count = 1;
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }
};

void MakeVideoType(COwnedMediaType* type, LONG width) {
    type->SetMajorType(MEDIATYPE_Video);
    type->SetSubtype(MEDIASUBTYPE_YUY2);
    type->SetFormatType(FORMAT_VideoInfo);
    VIDEOINFOHEADER* header = reinterpret_cast<VIDEOINFOHEADER*>(type->ReserveFormatBlock(sizeof(VIDEOINFOHEADER)));
    ASSERT_NE(nullptr, header);
    memset(header, 0, sizeof(*header));
    header->bmiHeader.biWidth = width;
}

TEST(MediaType, NewRecordIsTheEmptyType) {
    COwnedMediaType type;
    EXPECT_TRUE(type.majortype == GUID_NULL);
    EXPECT_TRUE(type.bFixedSizeSamples);
    EXPECT_EQ(1u, type.lSampleSize);
    EXPECT_EQ(0u, type.cbFormat);
    EXPECT_EQ(nullptr, type.pbFormat);
    EXPECT_TRUE(type.IsPartial());
}

TEST(MediaType, EqualityIgnoresFlagsSizesAndUnknown) {
    COwnedMediaType a, b;
    MakeVideoType(&a, 640);
    MakeVideoType(&b, 640);
    CountingUnknown unknown;
    b.SetSampleSize(0);
    b.SetTemporalCompression(TRUE);
    b.pUnk = &unknown;
    unknown.AddRef();
    EXPECT_TRUE(a == b);
    reinterpret_cast<VIDEOINFOHEADER*>(b.pbFormat)->bmiHeader.biWidth = 641;
    EXPECT_TRUE(a != b);
    b.SetSubtype(MEDIASUBTYPE_UYVY);
    EXPECT_FALSE(a == b);
}

TEST(MediaType, EmptyBlocksCompareEqualAndMissingBlocksNever) {
    COwnedMediaType a, b;
    a.SetMajorType(MEDIATYPE_Audio);
    b.SetMajorType(MEDIATYPE_Audio);
    BYTE dummy = 0;
    b.pbFormat = &dummy;  // cbFormat 0: the pointer takes no part
    EXPECT_TRUE(a == b);
    b.pbFormat = nullptr;

    // A non-zero length without a block differs from everything, itself included.
    a.cbFormat = 4;
    EXPECT_FALSE(a == a);
    a.cbFormat = 0;
}

TEST(MediaType, PatternMatching) {
    COwnedMediaType concrete, pattern;
    MakeVideoType(&concrete, 320);
    pattern.ResetToEmpty();
    pattern.bFixedSizeSamples = FALSE;
    EXPECT_TRUE(concrete.MatchesPattern(pattern));

    pattern.SetMajorType(MEDIATYPE_Audio);
    EXPECT_FALSE(concrete.MatchesPattern(pattern));
    pattern.SetMajorType(MEDIATYPE_Video);
    pattern.SetSubtype(MEDIASUBTYPE_YUY2);
    EXPECT_TRUE(concrete.MatchesPattern(pattern));

    // A concrete format type compares the block; a block of another length never matches.
    pattern.SetFormatType(FORMAT_VideoInfo);
    pattern.ReserveFormatBlock(sizeof(VIDEOINFOHEADER) - 4);
    EXPECT_FALSE(concrete.MatchesPattern(pattern));
    ASSERT_EQ(S_OK, pattern.Assign(concrete));
    EXPECT_TRUE(concrete.MatchesPattern(pattern));
}

TEST(MediaType, IsPartialLooksAtMajorAndFormatTypeOnly) {
    COwnedMediaType type;
    type.SetSubtype(MEDIASUBTYPE_YUY2);
    type.SetFormatType(FORMAT_VideoInfo);
    EXPECT_TRUE(type.IsPartial());
    type.SetMajorType(MEDIATYPE_Video);
    type.SetSubtype(GUID_NULL);
    EXPECT_FALSE(type.IsPartial());
}

TEST(MediaType, AssignDeepCopiesAndBalancesReferences) {
    CountingUnknown unknown;
    {
        COwnedMediaType source, copy;
        MakeVideoType(&source, 1920);
        source.pUnk = &unknown;
        unknown.AddRef();
        ASSERT_EQ(S_OK, copy.Assign(source));
        EXPECT_NE(source.pbFormat, copy.pbFormat);
        EXPECT_TRUE(copy == source);
        EXPECT_EQ(3, unknown.count);

        BYTE* block = copy.pbFormat;
        ASSERT_EQ(S_OK, copy.Assign(copy));
        EXPECT_EQ(block, copy.pbFormat);
        EXPECT_EQ(3, unknown.count);
    }
    EXPECT_EQ(1, unknown.count);
}

TEST(MediaType, ACopyOfATypeWhoseBlockIsMissingHasNoBlock) {
    COwnedMediaType source;
    MakeVideoType(&source, 1920);
    AM_MEDIA_TYPE broken = source;
    broken.pbFormat = nullptr;
    AM_MEDIA_TYPE copy{};
    ASSERT_EQ(S_OK, CopyMediaTypeRecord(&copy, broken));
    EXPECT_EQ(0u, copy.cbFormat);
    EXPECT_EQ(nullptr, copy.pbFormat);
    EXPECT_EQ(source.formattype, copy.formattype);
}

TEST(MediaType, ReserveFormatBlock) {
    COwnedMediaType type;
    BYTE* block = type.ReserveFormatBlock(8);
    ASSERT_NE(nullptr, block);
    memcpy(block, "abcdefgh", 8);
    EXPECT_EQ(block, type.ReserveFormatBlock(8));
    EXPECT_EQ(0, memcmp(type.pbFormat, "abcdefgh", 8));
    BYTE* larger = type.ReserveFormatBlock(16);
    ASSERT_NE(nullptr, larger);
    EXPECT_EQ(16u, type.cbFormat);
}

TEST(MediaType, SetSampleSize) {
    COwnedMediaType type;
    type.SetSampleSize(4096);
    EXPECT_TRUE(type.bFixedSizeSamples);
    EXPECT_EQ(4096u, type.lSampleSize);
    type.SetSampleSize(0);
    EXPECT_FALSE(type.bFixedSizeSamples);
    EXPECT_EQ(4096u, type.lSampleSize);
}

TEST(MediaType, TaskMemoryRecords) {
    DeleteTaskMediaType(nullptr);
    CountingUnknown unknown;
    COwnedMediaType source;
    MakeVideoType(&source, 64);
    source.pUnk = &unknown;
    unknown.AddRef();
    AM_MEDIA_TYPE* task = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    ASSERT_NE(nullptr, task);
    ASSERT_EQ(S_OK, CopyMediaTypeRecord(task, source));
    EXPECT_EQ(3, unknown.count);
    DeleteTaskMediaType(task);
    EXPECT_EQ(2, unknown.count);
    ReleaseMediaTypeContents(&source);
    EXPECT_EQ(1, unknown.count);
    EXPECT_EQ(0u, source.cbFormat);
    EXPECT_TRUE(source.majortype == MEDIATYPE_Video);
}

TEST(MediaType, BitmapImageSize) {
    BITMAPINFOHEADER header{};
    header.biWidth = 1920;
    header.biHeight = 1080;
    header.biBitCount = 24;
    EXPECT_EQ(6220800u, BitmapImageSize(header));
    header.biHeight = -1080;
    EXPECT_EQ(6220800u, BitmapImageSize(header));
    header.biBitCount = 32;
    EXPECT_EQ(8294400u, BitmapImageSize(header));
    header.biWidth = 3;
    header.biHeight = 1;
    header.biBitCount = 24;
    EXPECT_EQ(12u, BitmapImageSize(header));
}

}  // namespace
