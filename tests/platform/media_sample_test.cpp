// The memory allocator's samples: times, media times, flags, the attached
// media type, the data length and the IMediaSample2 properties record.
#include <gtest/gtest.h>

#include <dshow.h>

#include "live_object_check.h"

namespace {

const LONG kSize = 64;

class MediaSample : public LiveObjectCheck {
protected:
    void SetUp() override {
        LiveObjectCheck::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                         reinterpret_cast<void**>(&allocator_)));
        ALLOCATOR_PROPERTIES request{1, kSize, 1, 0};
        ALLOCATOR_PROPERTIES actual;
        ASSERT_EQ(S_OK, allocator_->SetProperties(&request, &actual));
        ASSERT_EQ(S_OK, allocator_->Commit());
        ASSERT_EQ(S_OK, allocator_->GetBuffer(&sample, nullptr, nullptr, 0));
        ASSERT_EQ(S_OK, sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2)));
    }
    void TearDown() override {
        if (sample2 != nullptr) sample2->Release();
        if (sample != nullptr) sample->Release();
        if (allocator_ != nullptr) {
            EXPECT_EQ(S_OK, allocator_->Decommit());
            EXPECT_EQ(0u, allocator_->Release());
        }
        LiveObjectCheck::TearDown();
    }

    // Releases the sample and takes the pool's one buffer again.
    void Recycle() {
        sample2->Release();
        sample2 = nullptr;
        IMediaSample* old = sample;
        EXPECT_EQ(0u, sample->Release());
        sample = nullptr;
        ASSERT_EQ(S_OK, allocator_->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT));
        ASSERT_EQ(old, sample);
        ASSERT_EQ(S_OK, sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2)));
    }

    AM_SAMPLE2_PROPERTIES Properties() {
        AM_SAMPLE2_PROPERTIES record;
        memset(&record, 0xCD, sizeof(record));
        EXPECT_EQ(S_OK, sample2->GetProperties(sizeof(record), reinterpret_cast<BYTE*>(&record)));
        return record;
    }

    IMediaSample* sample = nullptr;
    IMediaSample2* sample2 = nullptr;

private:
    IMemAllocator* allocator_ = nullptr;
};

// A video type with a format block of its own, and a counted object in pUnk.
struct OwnedType {
    OwnedType() {
        memset(&type, 0, sizeof(type));
        memset(&format, 0, sizeof(format));
        type.majortype = MEDIATYPE_Video;
        type.subtype = MEDIASUBTYPE_RGB32;
        type.formattype = FORMAT_VideoInfo;
        type.bFixedSizeSamples = TRUE;
        type.lSampleSize = 4 * 16 * 9;
        format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        format.bmiHeader.biWidth = 16;
        format.bmiHeader.biHeight = 9;
        format.bmiHeader.biBitCount = 32;
        type.cbFormat = sizeof(format);
        type.pbFormat = reinterpret_cast<BYTE*>(&format);
    }
    AM_MEDIA_TYPE type;
    VIDEOINFOHEADER format;
};

class Counted : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }
    ULONG count = 1;
};

void FreeTaskType(AM_MEDIA_TYPE* type) {
    CoTaskMemFree(type->pbFormat);
    if (type->pUnk != nullptr) type->pUnk->Release();
    CoTaskMemFree(type);
}

TEST_F(MediaSample, AnswersItsInterfacesOnly) {
    IMediaSample* plain = nullptr;
    ASSERT_EQ(S_OK, sample2->QueryInterface(IID_IMediaSample, reinterpret_cast<void**>(&plain)));
    EXPECT_EQ(sample, plain);
    plain->Release();
    IMemAllocator* allocator = nullptr;
    EXPECT_EQ(E_NOINTERFACE, sample->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&allocator)));
    EXPECT_EQ(nullptr, allocator);
    EXPECT_EQ(E_POINTER, sample->QueryInterface(IID_IUnknown, nullptr));
}

TEST_F(MediaSample, TimesFollowTheirValidFlags) {
    REFERENCE_TIME start = -1;
    REFERENCE_TIME stop = -1;
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
    EXPECT_EQ(E_POINTER, sample->GetTime(nullptr, &stop));
    EXPECT_EQ(E_POINTER, sample->GetTime(&start, nullptr));

    REFERENCE_TIME setStart = 1000;
    REFERENCE_TIME setStop = 1400;
    ASSERT_EQ(S_OK, sample->SetTime(&setStart, &setStop));
    EXPECT_EQ(S_OK, sample->GetTime(&start, &stop));
    EXPECT_EQ(1000, start);
    EXPECT_EQ(1400, stop);
    EXPECT_EQ(DWORD(AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID), Properties().dwSampleFlags);

    // A start alone: the stop is unknown and reported as start + 1.
    setStart = 2000;
    ASSERT_EQ(S_OK, sample->SetTime(&setStart, nullptr));
    EXPECT_EQ(VFW_S_NO_STOP_TIME, sample->GetTime(&start, &stop));
    EXPECT_EQ(2000, start);
    EXPECT_EQ(2001, stop);
    EXPECT_EQ(DWORD(AM_SAMPLE_TIMEVALID), Properties().dwSampleFlags);

    ASSERT_EQ(S_OK, sample->SetTime(nullptr, nullptr));
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
    EXPECT_EQ(0u, Properties().dwSampleFlags);
}

TEST_F(MediaSample, MediaTimesAreKeptApartFromTheFlags) {
    LONGLONG start = -1;
    LONGLONG stop = -1;
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&start, &stop));
    LONGLONG setStart = 30;
    LONGLONG setStop = 31;
    EXPECT_EQ(E_POINTER, sample->SetMediaTime(&setStart, nullptr));
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&start, &stop));
    ASSERT_EQ(S_OK, sample->SetMediaTime(&setStart, &setStop));
    EXPECT_EQ(S_OK, sample->GetMediaTime(&start, &stop));
    EXPECT_EQ(30, start);
    EXPECT_EQ(31, stop);
    EXPECT_EQ(E_POINTER, sample->GetMediaTime(nullptr, &stop));
    EXPECT_EQ(0u, Properties().dwSampleFlags);
    ASSERT_EQ(S_OK, sample->SetMediaTime(nullptr, nullptr));
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&start, &stop));
}

TEST_F(MediaSample, SyncPointPrerollAndDiscontinuityAreSeparateFlags) {
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    EXPECT_EQ(S_FALSE, sample->IsPreroll());
    EXPECT_EQ(S_FALSE, sample->IsDiscontinuity());
    ASSERT_EQ(S_OK, sample->SetSyncPoint(TRUE));
    EXPECT_EQ(S_OK, sample->IsSyncPoint());
    EXPECT_EQ(S_FALSE, sample->IsPreroll());
    ASSERT_EQ(S_OK, sample->SetPreroll(TRUE));
    ASSERT_EQ(S_OK, sample->SetDiscontinuity(TRUE));
    EXPECT_EQ(DWORD(AM_SAMPLE_SPLICEPOINT | AM_SAMPLE_PREROLL | AM_SAMPLE_DATADISCONTINUITY),
              Properties().dwSampleFlags);
    ASSERT_EQ(S_OK, sample->SetPreroll(FALSE));
    EXPECT_EQ(S_FALSE, sample->IsPreroll());
    EXPECT_EQ(S_OK, sample->IsSyncPoint());
    EXPECT_EQ(S_OK, sample->IsDiscontinuity());
}

TEST_F(MediaSample, ActualLengthStaysInsideTheBuffer) {
    EXPECT_EQ(kSize, sample->GetActualDataLength());
    ASSERT_EQ(S_OK, sample->SetActualDataLength(10));
    EXPECT_EQ(10, sample->GetActualDataLength());
    ASSERT_EQ(S_OK, sample->SetActualDataLength(kSize));
    EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, sample->SetActualDataLength(kSize + 1));
    EXPECT_EQ(E_INVALIDARG, sample->SetActualDataLength(-1));
    EXPECT_EQ(kSize, sample->GetActualDataLength());
}

TEST_F(MediaSample, MediaTypeIsCopiedInAndOut) {
    AM_MEDIA_TYPE* type = reinterpret_cast<AM_MEDIA_TYPE*>(1);
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&type));
    EXPECT_EQ(nullptr, type);
    EXPECT_EQ(E_POINTER, sample->GetMediaType(nullptr));

    Counted unknown;
    {
        OwnedType given;
        given.type.pUnk = &unknown;
        ASSERT_EQ(S_OK, sample->SetMediaType(&given.type));
        EXPECT_EQ(2u, unknown.count);
        // The caller's type may go away: the sample has its own copy.
        memset(&given.format, 0, sizeof(given.format));
    }
    EXPECT_EQ(DWORD(AM_SAMPLE_TYPECHANGED), Properties().dwSampleFlags);

    ASSERT_EQ(S_OK, sample->GetMediaType(&type));
    ASSERT_NE(nullptr, type);
    OwnedType expected;
    EXPECT_TRUE(type->majortype == MEDIATYPE_Video);
    EXPECT_TRUE(type->subtype == MEDIASUBTYPE_RGB32);
    EXPECT_TRUE(type->formattype == FORMAT_VideoInfo);
    EXPECT_EQ(expected.type.lSampleSize, type->lSampleSize);
    ASSERT_EQ(sizeof(VIDEOINFOHEADER), type->cbFormat);
    EXPECT_EQ(0, memcmp(&expected.format, type->pbFormat, sizeof(VIDEOINFOHEADER)));
    EXPECT_EQ(&unknown, type->pUnk);
    EXPECT_EQ(3u, unknown.count);
    // Every call hands out a copy of its own.
    AM_MEDIA_TYPE* again = nullptr;
    ASSERT_EQ(S_OK, sample->GetMediaType(&again));
    EXPECT_NE(type, again);
    EXPECT_NE(type->pbFormat, again->pbFormat);
    FreeTaskType(type);
    FreeTaskType(again);

    // Null takes the type away.
    ASSERT_EQ(S_OK, sample->SetMediaType(nullptr));
    EXPECT_EQ(1u, unknown.count);
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&type));
    EXPECT_EQ(0u, Properties().dwSampleFlags);
}

TEST_F(MediaSample, RefusesATypeClaimingAMissingFormatBlock) {
    OwnedType kept;
    ASSERT_EQ(S_OK, sample->SetMediaType(&kept.type));
    OwnedType broken;
    broken.type.pbFormat = nullptr;
    EXPECT_EQ(E_POINTER, sample->SetMediaType(&broken.type));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, sample->GetMediaType(&type));
    EXPECT_EQ(sizeof(VIDEOINFOHEADER), type->cbFormat);
    FreeTaskType(type);
}

TEST_F(MediaSample, SettingItsOwnTypeBackIsSafe) {
    OwnedType given;
    ASSERT_EQ(S_OK, sample->SetMediaType(&given.type));
    AM_SAMPLE2_PROPERTIES record = Properties();
    ASSERT_NE(nullptr, record.pMediaType);
    ASSERT_EQ(S_OK, sample->SetMediaType(record.pMediaType));
    // The old pointer went with the replaced type.
    record = Properties();
    ASSERT_EQ(S_OK, sample2->SetProperties(sizeof(record), reinterpret_cast<const BYTE*>(&record)));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, sample->GetMediaType(&type));
    EXPECT_EQ(0, memcmp(&given.format, type->pbFormat, sizeof(VIDEOINFOHEADER)));
    FreeTaskType(type);
}

TEST_F(MediaSample, GetPropertiesDescribesTheSample) {
    REFERENCE_TIME start = 5;
    REFERENCE_TIME stop = 9;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetActualDataLength(12);
    OwnedType given;
    sample->SetMediaType(&given.type);

    AM_SAMPLE2_PROPERTIES record = Properties();
    EXPECT_EQ(sizeof(record), record.cbData);
    EXPECT_EQ(0u, record.dwTypeSpecificFlags);
    EXPECT_EQ(DWORD(AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID | AM_SAMPLE_SPLICEPOINT | AM_SAMPLE_TYPECHANGED),
              record.dwSampleFlags);
    EXPECT_EQ(12, record.lActual);
    EXPECT_EQ(5, record.tStart);
    EXPECT_EQ(9, record.tStop);
    EXPECT_EQ(DWORD(AM_STREAM_MEDIA), record.dwStreamId);
    ASSERT_NE(nullptr, record.pMediaType);
    EXPECT_TRUE(record.pMediaType->subtype == MEDIASUBTYPE_RGB32);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    EXPECT_EQ(data, record.pbBuffer);
    EXPECT_EQ(kSize, record.cbBuffer);

    // A shorter record gets only what fits.
    BYTE bytes[sizeof(AM_SAMPLE2_PROPERTIES) + 8];
    memset(bytes, 0xEE, sizeof(bytes));
    const DWORD part = offsetof(AM_SAMPLE2_PROPERTIES, tStart);
    ASSERT_EQ(S_OK, sample2->GetProperties(part, bytes));
    AM_SAMPLE2_PROPERTIES head;
    memcpy(&head, bytes, part);
    EXPECT_EQ(part, head.cbData);
    EXPECT_EQ(12, head.lActual);
    EXPECT_EQ(0xEE, bytes[part]);
    // A longer one only the record.
    ASSERT_EQ(S_OK, sample2->GetProperties(sizeof(bytes), bytes));
    EXPECT_EQ(0xEE, bytes[sizeof(AM_SAMPLE2_PROPERTIES)]);
    EXPECT_EQ(S_OK, sample2->GetProperties(0, nullptr));
    EXPECT_EQ(E_POINTER, sample2->GetProperties(4, nullptr));
}

TEST_F(MediaSample, SetPropertiesChangesWhatTheRecordCovers) {
    OwnedType given;
    AM_SAMPLE2_PROPERTIES record = Properties();
    record.dwTypeSpecificFlags = 0x55;
    record.dwSampleFlags = AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID | AM_SAMPLE_PREROLL | AM_SAMPLE_TYPECHANGED;
    record.lActual = 20;
    record.tStart = 100;
    record.tStop = 200;
    record.dwStreamId = AM_STREAM_CONTROL;
    record.pMediaType = &given.type;
    // Up to the media type, as a copying filter hands over another sample's record.
    const DWORD size = offsetof(AM_SAMPLE2_PROPERTIES, pbBuffer);
    ASSERT_EQ(S_OK, sample2->SetProperties(size, reinterpret_cast<const BYTE*>(&record)));

    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    EXPECT_EQ(S_OK, sample->GetTime(&start, &stop));
    EXPECT_EQ(100, start);
    EXPECT_EQ(200, stop);
    EXPECT_EQ(S_OK, sample->IsPreroll());
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    EXPECT_EQ(20, sample->GetActualDataLength());
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, sample->GetMediaType(&type));
    EXPECT_EQ(0, memcmp(&given.format, type->pbFormat, sizeof(VIDEOINFOHEADER)));
    FreeTaskType(type);
    AM_SAMPLE2_PROPERTIES now = Properties();
    EXPECT_EQ(0x55u, now.dwTypeSpecificFlags);
    EXPECT_EQ(DWORD(AM_STREAM_CONTROL), now.dwStreamId);
    EXPECT_NE(&given.type, now.pMediaType);

    // cbData limits the record too: only the type-specific flags here.
    AM_SAMPLE2_PROPERTIES small = now;
    small.cbData = offsetof(AM_SAMPLE2_PROPERTIES, dwSampleFlags);
    small.dwTypeSpecificFlags = 0x66;
    small.dwSampleFlags = 0;
    ASSERT_EQ(S_OK, sample2->SetProperties(sizeof(small), reinterpret_cast<const BYTE*>(&small)));
    EXPECT_EQ(0x66u, Properties().dwTypeSpecificFlags);
    EXPECT_EQ(S_OK, sample->IsPreroll());

    // Flags without the type change flag drop the type.
    now = Properties();
    now.dwSampleFlags = AM_SAMPLE_SPLICEPOINT;
    ASSERT_EQ(S_OK, sample2->SetProperties(sizeof(now), reinterpret_cast<const BYTE*>(&now)));
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&type));
    EXPECT_EQ(S_OK, sample->IsSyncPoint());
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
}

TEST_F(MediaSample, SetPropertiesRefusesABadRecordAndChangesNothing) {
    REFERENCE_TIME start = 7;
    sample->SetTime(&start, nullptr);
    const AM_SAMPLE2_PROPERTIES before = Properties();
    const BYTE* raw = reinterpret_cast<const BYTE*>(&before);

    AM_SAMPLE2_PROPERTIES bad = before;
    bad.pbBuffer = bad.pbBuffer + 1;
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    bad = before;
    bad.cbBuffer = kSize * 2;
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    bad = before;
    bad.lActual = kSize + 1;
    bad.tStart = 99;
    EXPECT_EQ(VFW_E_BUFFER_OVERFLOW, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    bad = before;
    bad.dwSampleFlags = AM_SAMPLE_STOPVALID;
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    bad = before;
    bad.dwSampleFlags = AM_SAMPLE_TYPECHANGED;
    bad.pMediaType = nullptr;
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    bad = before;
    bad.cbData = sizeof(bad) + 4;
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad), reinterpret_cast<const BYTE*>(&bad)));
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(sizeof(bad) + 4, raw));
    EXPECT_EQ(E_INVALIDARG, sample2->SetProperties(2, raw));
    EXPECT_EQ(E_POINTER, sample2->SetProperties(sizeof(bad), nullptr));
    EXPECT_EQ(S_OK, sample2->SetProperties(0, nullptr));

    const AM_SAMPLE2_PROPERTIES after = Properties();
    EXPECT_EQ(0, memcmp(&before, &after, sizeof(after)));
}

TEST_F(MediaSample, EverythingIsResetWhenTheBufferIsLentAgain) {
    REFERENCE_TIME start = 1;
    REFERENCE_TIME stop = 2;
    sample->SetTime(&start, &stop);
    LONGLONG mediaStart = 3;
    LONGLONG mediaStop = 4;
    sample->SetMediaTime(&mediaStart, &mediaStop);
    sample->SetSyncPoint(TRUE);
    sample->SetPreroll(TRUE);
    sample->SetDiscontinuity(TRUE);
    sample->SetActualDataLength(1);
    Counted unknown;
    OwnedType given;
    given.type.pUnk = &unknown;
    sample->SetMediaType(&given.type);
    AM_SAMPLE2_PROPERTIES record = Properties();
    record.dwTypeSpecificFlags = 9;
    record.dwStreamId = AM_STREAM_CONTROL;
    sample2->SetProperties(sizeof(record), reinterpret_cast<const BYTE*>(&record));

    Recycle();
    // The pool holds no media type.
    EXPECT_EQ(1u, unknown.count);
    EXPECT_EQ(VFW_E_SAMPLE_TIME_NOT_SET, sample->GetTime(&start, &stop));
    EXPECT_EQ(VFW_E_MEDIA_TIME_NOT_SET, sample->GetMediaTime(&mediaStart, &mediaStop));
    EXPECT_EQ(S_FALSE, sample->IsSyncPoint());
    EXPECT_EQ(S_FALSE, sample->IsPreroll());
    EXPECT_EQ(S_FALSE, sample->IsDiscontinuity());
    EXPECT_EQ(kSize, sample->GetActualDataLength());
    AM_MEDIA_TYPE* type = nullptr;
    EXPECT_EQ(S_FALSE, sample->GetMediaType(&type));
    record = Properties();
    EXPECT_EQ(0u, record.dwTypeSpecificFlags);
    EXPECT_EQ(0u, record.dwSampleFlags);
    EXPECT_EQ(DWORD(AM_STREAM_MEDIA), record.dwStreamId);
    EXPECT_EQ(nullptr, record.pMediaType);
}

}  // namespace
