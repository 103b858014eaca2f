#include "tests/helper/downstream_test_filter.h"

#include "module/com_helpers.h"

namespace {

const CLSID kDownstreamTestClass = {0x6b1d2e71, 0x4c1a, 0x4f3e, {0x9a, 0x52, 0x13, 0x8e, 0x2c, 0x70, 0x5d, 0x01}};

}  // namespace

DownstreamTestPin::DownstreamTestPin(DownstreamTestFilter* filter, CLock* lock)
    : CBaseInputPin(L"downstream test pin", filter, lock, nullptr, L"In") {}

HRESULT DownstreamTestPin::CheckPinType(const AM_MEDIA_TYPE* type) { return accept ? accept(type) : S_OK; }

STDMETHODIMP DownstreamTestPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    if (onSample) onSample(sample);
    ReceivedSample seen;
    seen.object = sample;
    seen.length = sample->GetActualDataLength();
    seen.size = sample->GetSize();
    seen.timeResult = sample->GetTime(&seen.start, &seen.stop);
    BYTE* data = nullptr;
    if (keepData && SUCCEEDED(sample->GetPointer(&data)) && data != nullptr && seen.length > 0) {
        seen.data.assign(data, data + seen.length);
    }
    AM_MEDIA_TYPE* type = nullptr;
    if (sample->GetMediaType(&type) == S_OK && type != nullptr) {
        seen.type = std::make_shared<COwnedMediaType>();
        const HRESULT copied = seen.type->Assign(*type);
        DeleteTaskMediaType(type);
        if (FAILED(copied)) return copied;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    ++count_;
    events_ += 'S';
    if (keepData) received_.push_back(seen);
    return S_OK;
}

STDMETHODIMP DownstreamTestPin::EndOfStream() {
    if (onEndOfStream) onEndOfStream();
    std::lock_guard<std::mutex> guard(mutex_);
    events_ += 'E';
    return S_OK;
}

STDMETHODIMP DownstreamTestPin::BeginFlush() {
    const HRESULT hr = BeginFlushStep();
    std::lock_guard<std::mutex> guard(mutex_);
    events_ += 'B';
    return hr;
}

STDMETHODIMP DownstreamTestPin::EndFlush() {
    const HRESULT hr = EndFlushStep();
    std::lock_guard<std::mutex> guard(mutex_);
    events_ += 'F';
    return hr;
}

STDMETHODIMP DownstreamTestPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        events_ += 'N';
    }
    return CBaseInputPin::NewSegment(start, stop, rate);
}

STDMETHODIMP DownstreamTestPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    if (!hasRequirements) return CBaseInputPin::GetAllocatorRequirements(properties);
    if (properties == nullptr) return E_POINTER;
    *properties = requirements;
    return S_OK;
}

STDMETHODIMP DownstreamTestPin::GetAllocator(IMemAllocator** allocator) {
    if (offeredAllocator == nullptr) return CBaseInputPin::GetAllocator(allocator);
    if (allocator == nullptr) return E_POINTER;
    offeredAllocator->AddRef();
    *allocator = offeredAllocator;
    return S_OK;
}

std::vector<ReceivedSample> DownstreamTestPin::Received(size_t first) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (first >= received_.size()) return {};
    return std::vector<ReceivedSample>(received_.begin() + static_cast<std::ptrdiff_t>(first), received_.end());
}

size_t DownstreamTestPin::ReceivedCount() {
    std::lock_guard<std::mutex> guard(mutex_);
    return count_;
}

std::string DownstreamTestPin::Events() {
    std::lock_guard<std::mutex> guard(mutex_);
    return events_;
}

void DownstreamTestPin::Forget() {
    std::lock_guard<std::mutex> guard(mutex_);
    received_.clear();
    count_ = 0;
    events_.clear();
}

DownstreamTestFilter::DownstreamTestFilter()
    : CBaseFilter(L"downstream test filter", nullptr, &lock_, kDownstreamTestClass), pin_(this, &lock_) {}

DownstreamTestFilter* DownstreamTestFilter::Create() {
    DownstreamTestFilter* filter = new DownstreamTestFilter();
    filter->NonDelegatingAddRef();
    return filter;
}

CBasePin* DownstreamTestFilter::PinAt(int index) { return index == 0 ? &pin_ : nullptr; }

STDMETHODIMP DownstreamTestFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    if (id == nullptr || lstrcmpW(id, L"In") != 0) return VFW_E_NOT_FOUND;
    *pin = &pin_;
    (*pin)->AddRef();
    return S_OK;
}

STDMETHODIMP DownstreamTestPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"In", id); }
