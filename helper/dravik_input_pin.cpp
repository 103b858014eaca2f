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

    if (lookAhead_.IsEmpty()) {
        // Only the first sample of a run is checked; the ones behind it pass while the slot is open.
        const HRESULT hr = CBaseInputPin::Receive(sample);
        if (hr != S_OK) return FAILED(hr) ? hr : S_OK;
    }
    // Decided for each sample: where it came from says whether upstream can spare it.
    const bool copy = CLookAheadCopies::MustCopy(Allocator(), sample);
    IMediaSample* kept = sample;
    if (copy) {
        const HRESULT hr = copies_.Copy(sample, &kept);
        if (FAILED(hr)) return hr;
    } else {
        kept->AddRef();
    }
    IMediaSample* previous = nullptr;
    bool previousCopy = false;
    const bool stored = lookAhead_.Exchange(kept, copy, &previous, &previousCopy);
    kept->Release();
    // Closed by a stop or a flush that came after the checks: the sample goes with them.
    if (!stored) return S_FALSE;
    if (previous == nullptr) return S_OK;
    const HRESULT hr = HandOn(previous, previousCopy);
    previous->Release();
    return hr;
}

HRESULT CDravikInputPin::HandOn(IMediaSample* sample, bool copy) {
    // The properties the framework copies from must describe the sample handed on.
    const HRESULT hr = ReadSampleProperties(sample);
    if (FAILED(hr)) return hr;
    handingOnCopy_ = copy;
    return dravik_->ReceiveSample(sample);
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
    // Under the receive lock, so that a flush cannot end while the last sample
    // is on its way, and the last sample cannot be kept past a stop.
    CLockGuard guard(*receiveLock_);
    bool copy = false;
    IMediaSample* last = lookAhead_.Take(&copy);
    if (last != nullptr) {
        // With the slot empty it is timed by the frame time, as the last sample is;
        // its result does not change the end of stream's.
        if (CBaseInputPin::Receive(last) == S_OK) {
            handingOnCopy_ = copy;
            dravik_->ReceiveSample(last);
        }
        last->Release();
    }
    return CTransInPlaceInputPin::EndOfStream();
}

STDMETHODIMP CDravikInputPin::BeginFlush() {
    const HRESULT hr = CTransInPlaceInputPin::BeginFlush();
    lookAhead_.Close();
    return hr;
}

STDMETHODIMP CDravikInputPin::EndFlush() {
    // Filter lock, then receive lock, as the transform pin's EndFlush takes
    // them: a Receive that began before the flush ends before the slot opens.
    CLockGuard guard(*lock_);
    CLockGuard receiveGuard(*receiveLock_);
    lookAhead_.Open();
    return CTransInPlaceInputPin::EndFlush();
}

HRESULT CDravikInputPin::Activate() {
    const HRESULT hr = CTransInPlaceInputPin::Activate();
    if (FAILED(hr)) return hr;
    lookAhead_.Open();
    return copies_.Commit();
}

HRESULT CDravikInputPin::Deactivate() {
    // First, so that a streaming thread waiting for a copy buffer lets go.
    const HRESULT decommitted = copies_.Decommit();
    // Before the allocator is decommitted: a sample held back must go back to it.
    lookAhead_.Close();
    const HRESULT hr = CTransInPlaceInputPin::Deactivate();
    return FAILED(hr) ? hr : decommitted;
}

HRESULT CDravikInputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    WORD bitDepth = 0;
    if (IsConnected() && type->majortype == MEDIATYPE_Audio && IsPcmAudioType(*type, &bitDepth)) {
        // Asked from any thread, while the streaming thread may change the type.
        COwnedMediaType current;
        if (SUCCEEDED(CopyCurrentMediaType(&current)) && current.majortype == MEDIATYPE_Audio &&
            IsPcmAudioType(current, &bitDepth)) {
            return S_OK;
        }
    }
    return CTransInPlaceInputPin::CheckPinType(type);
}

HRESULT CDravikInputPin::CheckReceivedType(const AM_MEDIA_TYPE* type) {
    return dravik_->IsAnnouncedAudioChange(*type) ? S_OK : CheckPinType(type);
}
