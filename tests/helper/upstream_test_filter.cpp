#include "tests/helper/upstream_test_filter.h"

#include "module/com_helpers.h"

#include <cstring>

namespace {

const CLSID kUpstreamTestClass = {0x6b1d2e70, 0x4c1a, 0x4f3e, {0x9a, 0x52, 0x13, 0x8e, 0x2c, 0x70, 0x5d, 0x01}};

}  // namespace

std::vector<BYTE> CountingBytes(size_t length, BYTE first) {
    std::vector<BYTE> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<BYTE>(first + i);
    return bytes;
}

UpstreamTestPin::UpstreamTestPin(UpstreamTestFilter* filter, CLock* lock)
    : CBaseOutputPin(L"upstream test pin", filter, lock, nullptr, L"Out"), owner_(filter) {}

HRESULT UpstreamTestPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    const auto& offered = owner_->Offered();
    if (offered.empty()) return VFW_E_TYPE_NOT_ACCEPTED;
    return type->majortype == offered[0]->majortype ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT UpstreamTestPin::MediaTypeAt(int position, COwnedMediaType* type) {
    const auto& offered = owner_->Offered();
    if (position < 0 || static_cast<size_t>(position) >= offered.size()) return VFW_S_NO_MORE_ITEMS;
    return type->Assign(*offered[static_cast<size_t>(position)]);
}

UpstreamTestPin::~UpstreamTestPin() {
    if (ownAllocator_ == nullptr) return;
    ownAllocator_->Decommit();
    ownAllocator_->Release();
}

HRESULT UpstreamTestPin::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES wanted = honourRequests ? *request : ALLOCATOR_PROPERTIES{};
    if (wanted.cBuffers < buffers) wanted.cBuffers = buffers;
    if (wanted.cbBuffer < bufferSize) wanted.cbBuffer = bufferSize;
    if (wanted.cbAlign < 1) wanted.cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(&wanted, &actual);
}

HRESULT UpstreamTestPin::ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) {
    if (!readOnly) return CBaseOutputPin::ChooseAllocator(inputPin, allocator);
    // An allocator of upstream's own: read-only buffers are never the ones the helper writes into.
    HRESULT hr = CreateDefaultAllocator(allocator);
    ALLOCATOR_PROPERTIES request{};
    if (SUCCEEDED(hr)) hr = ChooseBufferSizes(*allocator, &request);
    if (SUCCEEDED(hr)) hr = inputPin->NotifyAllocator(*allocator, TRUE);
    if (FAILED(hr) && *allocator != nullptr) {
        (*allocator)->Release();
        *allocator = nullptr;
    }
    return hr;
}

HRESULT UpstreamTestPin::NextSample(IMediaSample** sample) {
    if (givenAllocator != nullptr) return givenAllocator->GetBuffer(sample, nullptr, nullptr, 0);
    if (ownBuffers <= 0) return GetOutputSample(sample, nullptr, nullptr, 0);
    if (ownAllocator_ == nullptr) {
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      reinterpret_cast<void**>(&ownAllocator_));
        if (FAILED(hr)) return hr;
        ALLOCATOR_PROPERTIES wanted = {ownBuffers, ownBufferSize, 1, 0};
        ALLOCATOR_PROPERTIES actual{};
        hr = ownAllocator_->SetProperties(&wanted, &actual);
        if (SUCCEEDED(hr)) hr = ownAllocator_->Commit();
        if (FAILED(hr)) return hr;
    }
    return ownAllocator_->GetBuffer(sample, nullptr, nullptr, 0);
}

HRESULT UpstreamTestPin::Send(const SampleToSend& wanted) {
    IMediaSample* sample = nullptr;
    HRESULT hr = NextSample(&sample);
    if (FAILED(hr)) return hr;
    BYTE* data = nullptr;
    hr = sample->GetPointer(&data);
    const LONG length = wanted.length >= 0 ? wanted.length : static_cast<LONG>(wanted.data.size());
    if (SUCCEEDED(hr) && length > sample->GetSize()) hr = E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        if (wanted.length < 0 && !wanted.data.empty()) memcpy(data, wanted.data.data(), wanted.data.size());
        hr = sample->SetActualDataLength(length);
    }
    REFERENCE_TIME start = wanted.start;
    REFERENCE_TIME stop = wanted.stop;
    if (SUCCEEDED(hr)) {
        hr = sample->SetTime(wanted.timed ? &start : nullptr, wanted.timed && wanted.stopValid ? &stop : nullptr);
    }
    if (SUCCEEDED(hr) && wanted.type != nullptr) hr = sample->SetMediaType(const_cast<AM_MEDIA_TYPE*>(wanted.type));
    if (SUCCEEDED(hr) && wanted.syncPoint) hr = sample->SetSyncPoint(TRUE);
    if (SUCCEEDED(hr) && wanted.discontinuity) hr = sample->SetDiscontinuity(TRUE);
    if (SUCCEEDED(hr) && wanted.preroll) hr = sample->SetPreroll(TRUE);
    if (SUCCEEDED(hr)) {
        sentObjects.push_back(sample);
        hr = DeliverSample(sample);
    }
    sample->Release();
    return hr;
}

UpstreamTestFilter::UpstreamTestFilter()
    : CBaseFilter(L"upstream test filter", nullptr, &lock_, kUpstreamTestClass), pin_(this, &lock_) {}

UpstreamTestFilter* UpstreamTestFilter::Create() {
    UpstreamTestFilter* filter = new UpstreamTestFilter();
    filter->NonDelegatingAddRef();
    return filter;
}

CBasePin* UpstreamTestFilter::PinAt(int index) { return index == 0 ? &pin_ : nullptr; }

STDMETHODIMP UpstreamTestFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    if (id == nullptr || lstrcmpW(id, L"Out") != 0) return VFW_E_NOT_FOUND;
    *pin = &pin_;
    (*pin)->AddRef();
    return S_OK;
}

void UpstreamTestFilter::Offer(const AM_MEDIA_TYPE& type) {
    std::unique_ptr<COwnedMediaType> copy(new COwnedMediaType());
    if (SUCCEEDED(copy->Assign(type))) offered_.push_back(std::move(copy));
}

STDMETHODIMP UpstreamTestPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"Out", id); }
