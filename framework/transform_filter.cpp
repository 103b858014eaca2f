#include "framework/transform_filter.h"

#include "framework/transform_input_pin.h"
#include "framework/transform_output_pin.h"

CTransformFilter::CTransformFilter(const wchar_t* debugName, IUnknown* outer, REFCLSID classId)
    : CBaseFilter(debugName, outer, &filterLock_, classId) {}

CTransformFilter::~CTransformFilter() {
    delete input_;
    delete output_;
}

int CTransformFilter::PinCount() { return 2; }

HRESULT CTransformFilter::TransformToOutput(IMediaSample*, IMediaSample*) { return E_UNEXPECTED; }

HRESULT CTransformFilter::OnStreamingStart() { return S_OK; }

HRESULT CTransformFilter::OnStreamingStop() { return S_OK; }

HRESULT CTransformFilter::OnQualityMessage(const Quality&) { return S_FALSE; }

HRESULT CTransformFilter::OnMediaTypeSet(PIN_DIRECTION, const AM_MEDIA_TYPE*) { return S_OK; }

HRESULT CTransformFilter::OnCheckConnect(PIN_DIRECTION, IPin*) { return S_OK; }

HRESULT CTransformFilter::OnBreakConnect(PIN_DIRECTION) { return S_OK; }

HRESULT CTransformFilter::OnEndOfStream() { return output_ != nullptr ? output_->SendEndOfStream() : S_OK; }

HRESULT CTransformFilter::OnBeginFlush() { return output_ != nullptr ? output_->SendBeginFlush() : S_OK; }

HRESULT CTransformFilter::OnEndFlush() { return output_ != nullptr ? output_->SendEndFlush() : S_OK; }

HRESULT CTransformFilter::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    return output_ != nullptr ? output_->SendNewSegment(start, stop, rate) : S_OK;
}

STDMETHODIMP CTransformFilter::Pause() {
    CLockGuard guard(filterLock_);
    const HRESULT hr = FilterState == State_Paused ? S_OK : EnterPaused();
    sampleSkipped_ = false;
    qualityChanged_ = false;
    return hr;
}

HRESULT CTransformFilter::EnterPaused() {
    if (input_ == nullptr || !input_->IsConnected()) {
        // Downstream would otherwise wait for data that can never come.
        if (output_ != nullptr && !endOfStreamSent_) {
            output_->SendEndOfStream();
            endOfStreamSent_ = true;
        }
        FilterState = State_Paused;
        return S_OK;
    }
    if (output_ == nullptr || !output_->IsConnected()) {
        FilterState = State_Paused;
        return S_OK;
    }
    if (FilterState == State_Stopped) {
        CLockGuard receiveGuard(receiveLock_);
        const HRESULT hr = OnStreamingStart();
        if (FAILED(hr)) return hr;
    }
    return CBaseFilter::Pause();
}

STDMETHODIMP CTransformFilter::Stop() {
    CLockGuard guard(filterLock_);
    if (FilterState == State_Stopped) return S_OK;
    if (input_ == nullptr || !input_->IsConnected() || output_ == nullptr || !output_->IsConnected()) {
        FilterState = State_Stopped;
        endOfStreamSent_ = false;
        return S_OK;
    }
    // Both allocators are decommitted before the receive lock is taken, so that
    // a Receive waiting for a buffer of either fails and lets go of that lock.
    input_->Deactivate();
    output_->Deactivate();
    CLockGuard receiveGuard(receiveLock_);
    output_->Deactivate();
    const HRESULT hr = OnStreamingStop();
    if (SUCCEEDED(hr)) {
        FilterState = State_Stopped;
        endOfStreamSent_ = false;
    }
    return hr;
}

STDMETHODIMP CTransformFilter::FindPin(LPCWSTR id, IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    *pin = nullptr;
    if (id == nullptr) return VFW_E_NOT_FOUND;
    int index = -1;
    if (lstrcmpW(id, L"In") == 0) {
        index = 0;
    } else if (lstrcmpW(id, L"Out") == 0) {
        index = 1;
    } else {
        return VFW_E_NOT_FOUND;
    }
    CBasePin* const found = PinAt(index);
    if (found == nullptr) return E_OUTOFMEMORY;
    *pin = static_cast<IPin*>(found);
    (*pin)->AddRef();
    return S_OK;
}
