#include "tests/framework/stream_test_filters.h"

#include <cstring>

#include "framework/trans_in_place_output_pin.h"
#include "module/com_helpers.h"

namespace {

const CLSID kTestSourceClass = {0x2f0c5a3e, 0x11b2, 0x4c6d, {0x8e, 0x10, 0x4a, 0x77, 0x03, 0x5d, 0x21, 0x90}};
const CLSID kTestSinkClass = {0x2f0c5a3f, 0x11b2, 0x4c6d, {0x8e, 0x10, 0x4a, 0x77, 0x03, 0x5d, 0x21, 0x90}};
const CLSID kTestInPlaceClass = {0x2f0c5a40, 0x11b2, 0x4c6d, {0x8e, 0x10, 0x4a, 0x77, 0x03, 0x5d, 0x21, 0x90}};

HRESULT SinglePin(IPin* pin, LPCWSTR wanted, LPCWSTR id, IPin** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (id == nullptr || lstrcmpW(id, wanted) != 0) return VFW_E_NOT_FOUND;
    *out = pin;
    pin->AddRef();
    return S_OK;
}

HRESULT SetStreamId(IMediaSample* sample, DWORD streamId) {
    IMediaSample2* sample2 = nullptr;
    HRESULT hr = sample->QueryInterface(IID_IMediaSample2, reinterpret_cast<void**>(&sample2));
    if (FAILED(hr)) return hr;
    AM_SAMPLE2_PROPERTIES properties{};
    hr = sample2->GetProperties(sizeof(properties), reinterpret_cast<BYTE*>(&properties));
    properties.dwStreamId = streamId;
    if (SUCCEEDED(hr)) hr = sample2->SetProperties(sizeof(properties), reinterpret_cast<const BYTE*>(&properties));
    sample2->Release();
    return hr;
}

}  // namespace

void FillVideoType(COwnedMediaType* type, LONG width) {
    type->SetMajorType(MEDIATYPE_Video);
    type->SetSubtype(MEDIASUBTYPE_RGB32);
    type->SetFormatType(FORMAT_VideoInfo);
    type->SetSampleSize(static_cast<ULONG>(width * 8 * 4));
    BYTE* block = type->ReserveFormatBlock(sizeof(VIDEOINFOHEADER));
    if (block == nullptr) return;
    VIDEOINFOHEADER header{};
    header.AvgTimePerFrame = 400000;
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = width;
    header.bmiHeader.biHeight = 8;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biSizeImage = static_cast<DWORD>(width * 8 * 4);
    memcpy(block, &header, sizeof(header));
}

TestSourcePin::TestSourcePin(TestSource* filter, CLock* lock)
    : CBaseOutputPin(L"test source pin", filter, lock, nullptr, L"Out") {}

HRESULT TestSourcePin::CheckPinType(const AM_MEDIA_TYPE* type) {
    return type->majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestSourcePin::MediaTypeAt(int position, COwnedMediaType* type) {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    FillVideoType(type);
    return S_OK;
}

HRESULT TestSourcePin::ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) {
    if (ownAllocator == nullptr) return CBaseOutputPin::ChooseAllocator(inputPin, allocator);
    *allocator = nullptr;
    ALLOCATOR_PROPERTIES request{0, 0, 1, 0};
    HRESULT hr = ChooseBufferSizes(ownAllocator, &request);
    if (SUCCEEDED(hr)) hr = inputPin->NotifyAllocator(ownAllocator, readOnly);
    if (FAILED(hr)) return hr;
    ownAllocator->AddRef();
    *allocator = ownAllocator;
    return S_OK;
}

HRESULT TestSourcePin::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    lastRequest = *request;
    ALLOCATOR_PROPERTIES wanted = *request;
    if (wanted.cBuffers < buffers) wanted.cBuffers = buffers;
    if (wanted.cbBuffer < bufferSize) wanted.cbBuffer = bufferSize;
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(&wanted, &actual);
}

HRESULT TestSourcePin::CreateDefaultAllocator(IMemAllocator** allocator) {
    if (defaultAllocator == nullptr) return CBaseOutputPin::CreateDefaultAllocator(allocator);
    defaultAllocator->AddRef();
    *allocator = defaultAllocator;
    return S_OK;
}

STDMETHODIMP TestSourcePin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"Out", id); }

STDMETHODIMP TestSourcePin::Notify(IBaseFilter*, Quality quality) {
    qualityMessages.push_back(quality);
    return S_OK;
}

HRESULT TestSourcePin::Send(const OutgoingSample& outgoing) {
    IMediaSample* sample = nullptr;
    HRESULT hr = GetOutputSample(&sample, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* data = nullptr;
    hr = sample->GetPointer(&data);
    if (SUCCEEDED(hr)) {
        for (LONG i = 0; i < outgoing.length && i < sample->GetSize(); ++i) data[i] = static_cast<BYTE>(outgoing.fill + i);
        hr = sample->SetActualDataLength(outgoing.length);
    }
    REFERENCE_TIME start = outgoing.start;
    REFERENCE_TIME stop = outgoing.stop;
    if (SUCCEEDED(hr)) hr = sample->SetTime(outgoing.timed ? &start : nullptr, outgoing.timed ? &stop : nullptr);
    LONGLONG mediaStart = outgoing.mediaStart;
    LONGLONG mediaStop = outgoing.mediaStop;
    if (SUCCEEDED(hr) && outgoing.mediaTimed) hr = sample->SetMediaTime(&mediaStart, &mediaStop);
    if (SUCCEEDED(hr)) hr = sample->SetSyncPoint(outgoing.sync);
    if (SUCCEEDED(hr)) hr = sample->SetPreroll(outgoing.preroll);
    if (SUCCEEDED(hr)) hr = sample->SetDiscontinuity(outgoing.discontinuity);
    if (SUCCEEDED(hr) && outgoing.type != nullptr) hr = sample->SetMediaType(const_cast<AM_MEDIA_TYPE*>(outgoing.type));
    if (SUCCEEDED(hr) && outgoing.streamId != AM_STREAM_MEDIA) hr = SetStreamId(sample, outgoing.streamId);
    lastSent = sample;
    if (SUCCEEDED(hr)) hr = DeliverSample(sample);
    sample->Release();
    return hr;
}

TestSource::TestSource() : CBaseFilter(L"test source", nullptr, &lock_, kTestSourceClass), pin_(this, &lock_) {}

TestSource* TestSource::Create() {
    TestSource* filter = new TestSource();
    filter->NonDelegatingAddRef();
    return filter;
}

CBasePin* TestSource::PinAt(int index) { return index == 0 ? &pin_ : nullptr; }

STDMETHODIMP TestSource::FindPin(LPCWSTR id, IPin** pin) { return SinglePin(&pin_, L"Out", id, pin); }

TestSinkPin::TestSinkPin(TestSink* filter, CLock* lock)
    : CBaseInputPin(L"test sink pin", filter, lock, nullptr, L"In") {}

TestSinkPin::~TestSinkPin() { DropKept(); }

HRESULT TestSinkPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    if (type->majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
    return type->subtype == refusedSubtype ? S_FALSE : S_OK;
}

HRESULT TestSinkPin::Activate() {
    std::lock_guard<std::mutex> guard(mutex_);
    released_ = false;
    return CBaseInputPin::Activate();
}

HRESULT TestSinkPin::Deactivate() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    return CBaseInputPin::Deactivate();
}

STDMETHODIMP TestSinkPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"In", id); }

STDMETHODIMP TestSinkPin::EndOfStream() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++endOfStreams_;
    return S_OK;
}

STDMETHODIMP TestSinkPin::BeginFlush() {
    ++beginFlushCount;
    const HRESULT hr = BeginFlushStep();
    std::lock_guard<std::mutex> guard(mutex_);
    released_ = true;
    changed_.notify_all();
    return hr;
}

STDMETHODIMP TestSinkPin::EndFlush() {
    ++endFlushCount;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        released_ = false;
    }
    return EndFlushStep();
}

STDMETHODIMP TestSinkPin::GetAllocator(IMemAllocator** allocator) {
    if (FAILED(getAllocatorResult)) {
        if (allocator != nullptr) *allocator = nullptr;
        return getAllocatorResult;
    }
    if (offeredAllocator != nullptr && allocator_ == nullptr) {
        offeredAllocator->AddRef();
        allocator_ = offeredAllocator;
    }
    return CBaseInputPin::GetAllocator(allocator);
}

STDMETHODIMP TestSinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    notified.push_back(allocator);
    notifiedReadOnly.push_back(readOnly);
    if (allocator != nullptr && allocator == refusedAllocator) return E_FAIL;
    return CBaseInputPin::NotifyAllocator(allocator, readOnly);
}

STDMETHODIMP TestSinkPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!hasRequirements) return CBaseInputPin::GetAllocatorRequirements(properties);
    *properties = requirements;
    return S_OK;
}

STDMETHODIMP TestSinkPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    SeenSample seen;
    seen.identity = sample;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && data != nullptr && sample->GetActualDataLength() > 0) {
        seen.data.assign(data, data + sample->GetActualDataLength());
    }
    seen.timeResult = sample->GetTime(&seen.start, &seen.stop);
    seen.mediaTimeResult = sample->GetMediaTime(&seen.mediaStart, &seen.mediaStop);
    seen.sync = sample->IsSyncPoint() == S_OK;
    seen.preroll = sample->IsPreroll() == S_OK;
    seen.discontinuity = sample->IsDiscontinuity() == S_OK;
    AM_MEDIA_TYPE* type = nullptr;
    if (sample->GetMediaType(&type) == S_OK && type != nullptr) {
        seen.typed = true;
        seen.subtype = type->subtype;
        DeleteTaskMediaType(type);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    const size_t index = seen_.size();
    seen_.push_back(seen);
    if (keepSamples) {
        sample->AddRef();
        kept_.push_back(sample);
    }
    if (blockInReceive) {
        ++blocked_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        --blocked_;
    }
    return index < receiveAnswers.size() ? receiveAnswers[index] : S_OK;
}

STDMETHODIMP TestSinkPin::ReceiveCanBlock() { return canBlockAnswer; }

void TestSinkPin::WaitForBlockedReceive() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return blocked_ > 0; });
}

std::vector<SeenSample> TestSinkPin::Seen() {
    std::lock_guard<std::mutex> guard(mutex_);
    return seen_;
}

int TestSinkPin::EndOfStreamCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return endOfStreams_;
}

void TestSinkPin::DropKept() {
    std::vector<IMediaSample*> kept;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        kept.swap(kept_);
    }
    for (IMediaSample* sample : kept) sample->Release();
}

TestSink::TestSink() : CBaseFilter(L"test sink", nullptr, &lock_, kTestSinkClass), pin_(this, &lock_) {}

TestSink* TestSink::Create() {
    TestSink* filter = new TestSink();
    filter->NonDelegatingAddRef();
    return filter;
}

CBasePin* TestSink::PinAt(int index) { return index == 0 ? &pin_ : nullptr; }

STDMETHODIMP TestSink::FindPin(LPCWSTR id, IPin** pin) { return SinglePin(&pin_, L"In", id, pin); }

TestInPlace::TestInPlace(bool modifiesData)
    : CTransInPlaceFilter(L"test in-place", nullptr, kTestInPlaceClass, nullptr, modifiesData) {}

TestInPlace* TestInPlace::Create(bool modifiesData) {
    TestInPlace* filter = new TestInPlace(modifiesData);
    filter->NonDelegatingAddRef();
    return filter;
}

HRESULT TestInPlace::CheckInputFormat(const AM_MEDIA_TYPE* type) {
    return type->majortype == MEDIATYPE_Video ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestInPlace::ProposeOutputType(int, AM_MEDIA_TYPE*) { return VFW_S_NO_MORE_ITEMS; }

HRESULT TestInPlace::TransformInPlace(IMediaSample* sample) {
    const size_t index = transformed.size();
    transformed.push_back(sample);
    return index < transformResults.size() ? transformResults[index] : S_OK;
}

HRESULT TestInPlace::OnStreamingStart() {
    ++streamingStarts;
    return streamingStartResult;
}

HRESULT TestInPlace::OnStreamingStop() {
    ++streamingStops;
    return streamingStopResult;
}

HRESULT TestInPlace::OnEndFlush() {
    if (FAILED(endFlushFailure)) return endFlushFailure;
    return CTransInPlaceFilter::OnEndFlush();
}

HRESULT TestInPlace::OnQualityMessage(const Quality&) { return qualityResult; }

Chain::Chain(bool modifiesData, bool withGraph2)
    : graph(withGraph2),
      source(TestSource::Create()),
      filter(TestInPlace::Create(modifiesData)),
      sink(TestSink::Create()) {
    // The in-place pins exist from here on.
    filter->PinAt(0);
    graph.AddFilter(source->Interface(), L"source");
    graph.AddFilter(filter->Interface(), L"in-place");
    graph.AddFilter(sink->Interface(), L"sink");
}

Chain::~Chain() {
    graph.Clear();
    source->Release();
    filter->Release();
    sink->Release();
}

HRESULT Chain::ConnectInput() { return graph.ConnectDirect(source->Pin(), filter->In(), nullptr); }

HRESULT Chain::ConnectOutput() { return graph.ConnectDirect(filter->Out(), sink->Pin(), nullptr); }

HRESULT Chain::Run() {
    HRESULT hr = sink->Interface()->Run(0);
    if (SUCCEEDED(hr)) hr = filter->Interface()->Run(0);
    if (SUCCEEDED(hr)) hr = source->Interface()->Run(0);
    return hr;
}

HRESULT Chain::Stop() {
    HRESULT hr = sink->Interface()->Stop();
    if (SUCCEEDED(hr)) hr = filter->Interface()->Stop();
    if (SUCCEEDED(hr)) hr = source->Interface()->Stop();
    return hr;
}
