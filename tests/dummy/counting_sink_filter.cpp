#include "tests/dummy/counting_sink_filter.h"

#include "module/com_helpers.h"

CountingSinkFilter::CountingPin::CountingPin(CBaseFilter* filter, CLock* lock, HRESULT* result)
    : CBaseInputPin(L"counting sink pin", filter, lock, result, L"In") {}

HRESULT CountingSinkFilter::CountingPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    if (!restricted_) return S_OK;
    return type->subtype == subtype_ && type->formattype == formatType_ ? S_OK : E_FAIL;
}

STDMETHODIMP CountingSinkFilter::CountingPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"In", id); }

STDMETHODIMP CountingSinkFilter::CountingPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    const int count = ++received;
    lastSize = sample->GetSize();
    return (refuseAt > 0 && count >= refuseAt) ? S_FALSE : S_OK;
}

STDMETHODIMP CountingSinkFilter::CountingPin::EndOfStream() {
    ++endOfStreams;
    return S_OK;
}

STDMETHODIMP CountingSinkFilter::CountingPin::BeginFlush() { return S_OK; }

STDMETHODIMP CountingSinkFilter::CountingPin::EndFlush() { return S_OK; }

void CountingSinkFilter::CountingPin::AcceptOnly(const GUID& subtype, const GUID& formatType) {
    restricted_ = true;
    subtype_ = subtype;
    formatType_ = formatType;
}

bool CountingSinkFilter::CountingPin::WaitFor(const std::atomic<int>& counter, int atLeast) {
    for (int i = 0; i < 5000 && counter.load() < atLeast; ++i) Sleep(1);
    return counter.load() >= atLeast;
}

CountingSinkFilter::CountingSinkFilter()
    : CBaseFilter(L"counting sink", nullptr, &lock_, GUID_NULL), pin_(this, &lock_, &result_) {}

STDMETHODIMP CountingSinkFilter::FindPin(LPCWSTR, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    return VFW_E_NOT_FOUND;
}
