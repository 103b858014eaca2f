#include "helper/dravik_input_pin.h"

#include "helper/dravik_filter.h"
#include "helper/media_type_rules.h"

CDravikInputPin::CDravikInputPin(CDravik* filter, HRESULT* result, CLock* receiveLock)
    : CTransInPlaceInputPin(L"Input", filter, result, L"Input"), dravik_(filter), receiveLock_(receiveLock) {}

STDMETHODIMP CDravikInputPin::Receive(IMediaSample* sample) {
    CLockGuard guard(*receiveLock_);
    if (dravik_->IsPackingStream()) {
        // The sample behind the one that switched the stream to packing goes first, in order.
        IMediaSample* previous = lookAhead_.Take();
        if (previous != nullptr) {
            HRESULT hr = ReadSampleProperties(previous);
            if (SUCCEEDED(hr)) hr = dravik_->ReceiveSample(previous);
            previous->Release();
            if (FAILED(hr)) return hr;
        }
        return CTransInPlaceInputPin::Receive(sample);
    }
    if (sample == nullptr) return E_POINTER;
    // A sample arriving during a flush is dropped, never kept for after it.
    if (IsFlushing()) return S_FALSE;

    if (!lookAhead_.IsEmpty()) {
        IMediaSample* kept = nullptr;
        const HRESULT keptResult = KeepableSample(sample, &kept);
        if (FAILED(keptResult)) return keptResult;
        IMediaSample* previous = lookAhead_.Exchange(kept);
        kept->Release();
        if (previous == nullptr) {
            // A flush emptied the slot meanwhile: the new sample goes with it.
            lookAhead_.Clear();
            return S_FALSE;
        }
        // The properties the framework copies from must describe the sample handed on.
        HRESULT hr = ReadSampleProperties(previous);
        if (SUCCEEDED(hr)) hr = dravik_->ReceiveSample(previous);
        previous->Release();
        return hr;
    }
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (FAILED(hr)) return hr;
    if (hr == S_OK) {
        // Decided once per run: upstream's allocator does not change while it streams.
        keepsCopies_ = CLookAheadCopies::MustCopy(Allocator(), sample);
        IMediaSample* kept = nullptr;
        hr = KeepableSample(sample, &kept);
        if (FAILED(hr)) return hr;
        IMediaSample* previous = lookAhead_.Exchange(kept);
        kept->Release();
        if (previous != nullptr) previous->Release();
    }
    return S_OK;
}

HRESULT CDravikInputPin::KeepableSample(IMediaSample* sample, IMediaSample** kept) {
    if (!keepsCopies_) {
        sample->AddRef();
        *kept = sample;
        return S_OK;
    }
    return copies_.Copy(sample, kept);
}

STDMETHODIMP CDravikInputPin::GetAllocator(IMemAllocator** allocator) {
    if (dravik_->IsPackingStream()) return CBaseInputPin::GetAllocator(allocator);
    return CTransInPlaceInputPin::GetAllocator(allocator);
}

STDMETHODIMP CDravikInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (dravik_->IsPackingStream()) return CBaseInputPin::NotifyAllocator(allocator, readOnly);
    return CTransInPlaceInputPin::NotifyAllocator(allocator, readOnly);
}

STDMETHODIMP CDravikInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    const HRESULT hr = CTransInPlaceInputPin::GetAllocatorRequirements(properties);
    // The look-ahead slot holds one upstream buffer at all times while streaming.
    if (properties != nullptr && !dravik_->IsRelabelStream() && properties->cBuffers < 2) properties->cBuffers = 2;
    return hr;
}

STDMETHODIMP CDravikInputPin::EndOfStream() {
    IMediaSample* last = lookAhead_.Peek();
    if (last != nullptr) {
        // Still in the slot while it is processed, so its own start time bounds it.
        CTransformInputPin::Receive(last);
        IMediaSample* taken = lookAhead_.Take();
        if (taken != nullptr) taken->Release();
        last->Release();
    }
    return CTransInPlaceInputPin::EndOfStream();
}

STDMETHODIMP CDravikInputPin::BeginFlush() {
    const HRESULT hr = CTransInPlaceInputPin::BeginFlush();
    lookAhead_.Clear();
    return hr;
}

HRESULT CDravikInputPin::Activate() {
    const HRESULT hr = CTransInPlaceInputPin::Activate();
    if (FAILED(hr)) return hr;
    return copies_.Commit();
}

HRESULT CDravikInputPin::Deactivate() {
    // First, so that a streaming thread waiting for a copy buffer lets go.
    const HRESULT decommitted = copies_.Decommit();
    const HRESULT hr = CTransInPlaceInputPin::Deactivate();
    lookAhead_.Clear();
    return FAILED(hr) ? hr : decommitted;
}

HRESULT CDravikInputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    WORD bitDepth = 0;
    if (IsConnected() && type->majortype == MEDIATYPE_Audio && IsPcmAudioType(*type, &bitDepth) &&
        CurrentMediaType().majortype == MEDIATYPE_Audio && IsPcmAudioType(CurrentMediaType(), &bitDepth)) {
        return S_OK;
    }
    return CTransInPlaceInputPin::CheckPinType(type);
}
