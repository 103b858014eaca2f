// The dummy source: its fourteen types, buffer sizing, pin identity, and a
// paused source delivering buffers to a downstream filter.
#include <gtest/gtest.h>
#include <wmcodecdsp.h>

#include <dvdmedia.h>

#include "dravik/dravik.h"
#include "dummy/dummy_pin.h"
#include "dummy/dummy_source.h"
#include "tests/dummy/counting_sink_filter.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/wide_text.h"

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);

namespace {

// The source as a host gets it: through the class factory.
IBaseFilter* CreateDummySource() {
    IClassFactory* factory = nullptr;
    if (FAILED(DllGetClassObject(CLSID_DravikDummySource, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
        return nullptr;
    }
    IBaseFilter* filter = nullptr;
    factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
    factory->Release();
    return filter;
}

IPin* OutPin(IBaseFilter* filter) {
    IPin* pin = nullptr;
    filter->FindPin(L"1", &pin);
    return pin;
}

// Grants what is asked, or a smaller buffer when told to.
class FakeAllocator : public IMemAllocator {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override {
        asked = *request;
        *actual = *request;
        actual->cbBuffer -= shortBy;
        return result;
    }
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    STDMETHODIMP Commit() override { return E_NOTIMPL; }
    STDMETHODIMP Decommit() override { return E_NOTIMPL; }
    STDMETHODIMP GetBuffer(IMediaSample**, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP ReleaseBuffer(IMediaSample*) override { return E_NOTIMPL; }

    ALLOCATOR_PROPERTIES asked{};
    LONG shortBy = 0;
    HRESULT result = S_OK;
};

TEST(DummySource, APinTheFilterCannotTakeInFailsTheCreationAndLeavesNothing) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, DllGetClassObject(CLSID_DravikDummySource, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    // The pin's name "Out" (four wide characters, as many bytes as one
    // pointer here) comes first; the filter's array of one stream pointer second.
    FailNothrowAllocation(sizeof(CSourceStream*), 1);
    IBaseFilter* filter = nullptr;
    EXPECT_EQ(E_OUTOFMEMORY, factory->CreateInstance(nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter)));
    EXPECT_EQ(nullptr, filter);
    factory->Release();
    // The live-object check after every test finds a pin that was not freed.
}

TEST(DummySource, OffersFourteenFullHdTypes) {
    IBaseFilter* filter = CreateDummySource();
    ASSERT_NE(nullptr, filter);
    IPin* pin = OutPin(filter);
    ASSERT_NE(nullptr, pin);
    CDSPin* dummy = static_cast<CDSPin*>(static_cast<CBasePin*>(pin));

    struct Expected {
        const GUID* subtype;
        DWORD compression;
        WORD bits;
        ULONG size;
    } expected[] = {
        {&MEDIASUBTYPE_YV12, MAKEFOURCC('Y', 'V', '1', '2'), 12, 3110400},
        {&MEDIASUBTYPE_I420, MAKEFOURCC('I', '4', '2', '0'), 12, 3110400},
        {&MEDIASUBTYPE_NV12, MAKEFOURCC('N', 'V', '1', '2'), 12, 3110400},
        {&MEDIASUBTYPE_YUY2, MAKEFOURCC('Y', 'U', 'Y', '2'), 16, 4147200},
        {&MEDIASUBTYPE_UYVY, MAKEFOURCC('U', 'Y', 'V', 'Y'), 16, 4147200},
        {&MEDIASUBTYPE_RGB32, 0, 32, 8294400},
        {&MEDIASUBTYPE_RGB24, 0, 24, 6220800},
    };
    for (int position = 0; position < 14; ++position) {
        SCOPED_TRACE(position);
        COwnedMediaType type;
        ASSERT_EQ(S_OK, dummy->MediaTypeAt(position, &type));
        const Expected& e = expected[position / 2];
        EXPECT_TRUE(type.majortype == MEDIATYPE_Video);
        EXPECT_TRUE(type.subtype == *e.subtype);
        EXPECT_TRUE(type.bFixedSizeSamples);
        EXPECT_FALSE(type.bTemporalCompression);
        EXPECT_EQ(e.size, type.lSampleSize);
        const BITMAPINFOHEADER* bitmap;
        const RECT* source;
        const RECT* target;
        if (position % 2 == 0) {
            ASSERT_TRUE(type.formattype == FORMAT_VideoInfo2);
            ASSERT_EQ(112u, type.cbFormat);
            const VIDEOINFOHEADER2* video = reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat);
            EXPECT_EQ(16u, video->dwPictAspectRatioX);
            EXPECT_EQ(9u, video->dwPictAspectRatioY);
            EXPECT_EQ(0u, video->dwInterlaceFlags);
            EXPECT_EQ(0, video->AvgTimePerFrame);
            bitmap = &video->bmiHeader;
            source = &video->rcSource;
            target = &video->rcTarget;
        } else {
            ASSERT_TRUE(type.formattype == FORMAT_VideoInfo);
            ASSERT_EQ(88u, type.cbFormat);
            const VIDEOINFOHEADER* video = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
            EXPECT_EQ(0, video->AvgTimePerFrame);
            bitmap = &video->bmiHeader;
            source = &video->rcSource;
            target = &video->rcTarget;
        }
        EXPECT_EQ(40u, bitmap->biSize);
        EXPECT_EQ(1920, bitmap->biWidth);
        EXPECT_EQ(1080, bitmap->biHeight);
        EXPECT_EQ(1, bitmap->biPlanes);
        EXPECT_EQ(e.bits, bitmap->biBitCount);
        EXPECT_EQ(e.compression, bitmap->biCompression);
        EXPECT_EQ(e.size, bitmap->biSizeImage);
        for (const RECT* rect : {source, target}) {
            EXPECT_EQ(0, rect->left);
            EXPECT_EQ(0, rect->top);
            EXPECT_EQ(1920, rect->right);
            EXPECT_EQ(1080, rect->bottom);
        }
    }
    COwnedMediaType type;
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, dummy->MediaTypeAt(14, &type));
    EXPECT_EQ(E_INVALIDARG, dummy->MediaTypeAt(-1, &type));
    EXPECT_EQ(E_POINTER, dummy->MediaTypeAt(0, nullptr));

    // Everything is acceptable, audio as readily as video.
    type.SetMajorType(MEDIATYPE_Audio);
    EXPECT_EQ(S_OK, pin->QueryAccept(&type));

    // The enumerator a downstream pin sees walks the same fourteen.
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(S_OK, pin->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* batch[16] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, types->Next(16, batch, &fetched));
    EXPECT_EQ(14u, fetched);
    for (ULONG i = 0; i < fetched; ++i) DeleteTaskMediaType(batch[i]);
    types->Release();

    pin->Release();
    filter->Release();
}

TEST(DummySource, BufferSizesFollowTheConnectionType) {
    IBaseFilter* filter = CreateDummySource();
    ASSERT_NE(nullptr, filter);
    IPin* pin = OutPin(filter);
    CDSPin* dummy = static_cast<CDSPin*>(static_cast<CBasePin*>(pin));
    FakeAllocator allocator;

    // Not connected yet: the empty type's sample size of 1.
    ALLOCATOR_PROPERTIES request{0, 4096, 16, 8};
    EXPECT_EQ(S_OK, dummy->ChooseBufferSizes(&allocator, &request));
    EXPECT_EQ(1, allocator.asked.cBuffers);
    EXPECT_EQ(1, allocator.asked.cbBuffer);
    EXPECT_EQ(16, allocator.asked.cbAlign);
    EXPECT_EQ(8, allocator.asked.cbPrefix);

    COwnedMediaType rgb;
    ASSERT_EQ(S_OK, dummy->MediaTypeAt(10, &rgb));
    ASSERT_EQ(S_OK, dummy->SetPinType(&rgb));
    request = ALLOCATOR_PROPERTIES{5, 100, 1, 0};
    EXPECT_EQ(S_OK, dummy->ChooseBufferSizes(&allocator, &request));
    EXPECT_EQ(5, allocator.asked.cBuffers);
    EXPECT_EQ(8294400, allocator.asked.cbBuffer);

    allocator.shortBy = 1;
    EXPECT_EQ(E_FAIL, dummy->ChooseBufferSizes(&allocator, &request));
    allocator.result = E_OUTOFMEMORY;
    EXPECT_EQ(E_OUTOFMEMORY, dummy->ChooseBufferSizes(&allocator, &request));
    EXPECT_EQ(E_POINTER, dummy->ChooseBufferSizes(nullptr, &request));
    EXPECT_EQ(E_POINTER, dummy->ChooseBufferSizes(&allocator, nullptr));

    pin->Release();
    filter->Release();
}

TEST(DummySource, PinIdentity) {
    IBaseFilter* filter = CreateDummySource();
    ASSERT_NE(nullptr, filter);
    CLSID clsid;
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(clsid == CLSID_DravikDummySource);

    IPin* pin = nullptr;
    for (const WCHAR* id : {L"0", L"x", L"2", L""}) {
        pin = reinterpret_cast<IPin*>(1);
        EXPECT_EQ(VFW_E_NOT_FOUND, filter->FindPin(id, &pin)) << Narrow(id);
        EXPECT_EQ(nullptr, pin);
    }
    EXPECT_EQ(E_POINTER, filter->FindPin(L"1", nullptr));
    ASSERT_EQ(S_OK, filter->FindPin(L"1", &pin));

    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, pin->QueryId(&id));
    EXPECT_EQ("1", Narrow(id));
    CoTaskMemFree(id);
    PIN_INFO info;
    ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
    EXPECT_EQ("Out", Narrow(info.achName));
    EXPECT_EQ(PINDIR_OUTPUT, info.dir);
    EXPECT_EQ(filter, info.pFilter);
    info.pFilter->Release();

    // Not connected: pausing starts no worker and succeeds.
    EXPECT_EQ(S_OK, filter->Pause());
    EXPECT_EQ(S_OK, filter->Run(0));
    EXPECT_EQ(S_OK, filter->Stop());

    pin->Release();
    filter->Release();
}

// A sink that accepts only YUY2 with a VIDEOINFOHEADER; one reference, owned by the caller.
CountingSinkFilter* CreateYuy2Sink() {
    CountingSinkFilter* sink = new CountingSinkFilter;
    sink->NonDelegatingAddRef();
    sink->Pin().AcceptOnly(MEDIASUBTYPE_YUY2, FORMAT_VideoInfo);
    return sink;
}

TEST(DummySource, PausedSourceDeliversBuffersUntilStopped) {
    IBaseFilter* source = CreateDummySource();
    ASSERT_NE(nullptr, source);
    CountingSinkFilter* sink = CreateYuy2Sink();
    IPin* out = OutPin(source);

    // The sink accepts only YUY2 with a VIDEOINFOHEADER: position 7 of the list.
    ASSERT_EQ(S_OK, out->Connect(&sink->Pin(), nullptr));
    AM_MEDIA_TYPE agreed;
    ASSERT_EQ(S_OK, out->ConnectionMediaType(&agreed));
    EXPECT_TRUE(agreed.subtype == MEDIASUBTYPE_YUY2);
    EXPECT_EQ(4147200u, agreed.lSampleSize);
    ReleaseMediaTypeContents(&agreed);

    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, source->Pause());
    EXPECT_TRUE(sink->Pin().WaitForReceived(3));
    EXPECT_EQ(4147200, sink->Pin().lastSize.load());
    ASSERT_EQ(S_OK, source->Run(0));
    EXPECT_EQ(S_OK, source->Stop());
    EXPECT_EQ(S_OK, sink->Stop());
    EXPECT_EQ(0, sink->Pin().endOfStreams.load());

    // A refusing downstream ends the delivery; the worker waits until stopped.
    sink->Pin().received = 0;
    sink->Pin().refuseAt = 2;
    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, source->Pause());
    EXPECT_TRUE(sink->Pin().WaitForReceived(2));
    Sleep(20);
    EXPECT_EQ(2, sink->Pin().received.load());
    EXPECT_EQ(S_OK, source->Stop());
    EXPECT_EQ(S_OK, sink->Stop());

    EXPECT_EQ(S_OK, out->Disconnect());
    EXPECT_EQ(S_OK, sink->Pin().Disconnect());
    out->Release();
    source->Release();
    sink->NonDelegatingRelease();
}

TEST(DummySource, ReleasedWhileDeliveringStopsItsWorker) {
    IBaseFilter* source = CreateDummySource();
    ASSERT_NE(nullptr, source);
    CountingSinkFilter* sink = CreateYuy2Sink();
    IPin* out = OutPin(source);
    ASSERT_EQ(S_OK, out->Connect(&sink->Pin(), nullptr));
    out->Release();
    ASSERT_EQ(S_OK, sink->Pause());
    ASSERT_EQ(S_OK, source->Pause());
    EXPECT_TRUE(sink->Pin().WaitForReceived(1));
    // No stop: the source's last reference goes with the sink's connection,
    // and its destruction must still end the worker and not hang.
    source->Release();
    EXPECT_EQ(S_OK, sink->Stop());
    EXPECT_EQ(S_OK, sink->Pin().Disconnect());
    sink->NonDelegatingRelease();
}

}  // namespace
