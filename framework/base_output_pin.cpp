#include "framework/base_output_pin.h"

CBaseOutputPin::CBaseOutputPin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT* result,
                               LPCWSTR pinName)
    : CBasePin(objectName, filter, pinLock, result, pinName, PINDIR_OUTPUT) {}

CBaseOutputPin::~CBaseOutputPin() {
    // Only a pin destroyed without a disconnect still holds these.
    if (allocator_ != nullptr) allocator_->Release();
    ReleaseInputPin();
}

HRESULT CBaseOutputPin::Activate() {
    if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
    return allocator_->Commit();
}

HRESULT CBaseOutputPin::Deactivate() {
    runtimeError_ = false;
    if (allocator_ == nullptr) return VFW_E_NO_ALLOCATOR;
    return allocator_->Decommit();
}

void CBaseOutputPin::ReleaseInputPin() {
    if (inputPin_ == nullptr) return;
    inputPin_->Release();
    inputPin_ = nullptr;
}

HRESULT CBaseOutputPin::CheckPeer(IPin* peer) {
    // A peer that can't tell its direction is refused like one of ours.
    PIN_DIRECTION peerDirection = direction_;
    peer->QueryDirection(&peerDirection);
    if (peerDirection == direction_) return VFW_E_INVALID_DIRECTION;
    // A candidate tried before may have left its peer's interface behind.
    ReleaseInputPin();
    const HRESULT hr = peer->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&inputPin_));
    if (FAILED(hr)) {
        inputPin_ = nullptr;
        return hr;
    }
    return inputPin_ == nullptr ? E_NOINTERFACE : S_OK;
}

HRESULT CBaseOutputPin::BreakConnection() {
    if (allocator_ != nullptr) {
        const HRESULT hr = allocator_->Decommit();
        if (FAILED(hr)) return hr;
        allocator_->Release();
        allocator_ = nullptr;
    }
    ReleaseInputPin();
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnection(IPin*) {
    if (allocator_ != nullptr) {
        allocator_->Release();
        allocator_ = nullptr;
    }
    if (inputPin_ == nullptr) return E_UNEXPECTED;
    return ChooseAllocator(inputPin_, &allocator_);
}

HRESULT CBaseOutputPin::ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) {
    *allocator = nullptr;
    ALLOCATOR_PROPERTIES request{};
    inputPin->GetAllocatorRequirements(&request);
    if (request.cbAlign == 0) request.cbAlign = 1;

    HRESULT hr = inputPin->GetAllocator(allocator);
    if (SUCCEEDED(hr) && *allocator == nullptr) hr = E_POINTER;
    if (SUCCEEDED(hr)) hr = ChooseBufferSizes(*allocator, &request);
    if (SUCCEEDED(hr)) hr = inputPin->NotifyAllocator(*allocator, FALSE);
    if (SUCCEEDED(hr)) return S_OK;
    if (*allocator != nullptr) {
        (*allocator)->Release();
        *allocator = nullptr;
    }

    hr = CreateDefaultAllocator(allocator);
    if (SUCCEEDED(hr) && *allocator == nullptr) hr = E_POINTER;
    if (SUCCEEDED(hr)) hr = ChooseBufferSizes(*allocator, &request);
    if (SUCCEEDED(hr)) hr = inputPin->NotifyAllocator(*allocator, FALSE);
    if (SUCCEEDED(hr)) return S_OK;
    if (*allocator != nullptr) {
        (*allocator)->Release();
        *allocator = nullptr;
    }
    return hr;
}

HRESULT CBaseOutputPin::GetOutputSample(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                        DWORD flags) {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    if (allocator_ == nullptr) return E_NOINTERFACE;
    return allocator_->GetBuffer(sample, start, stop, flags);
}

HRESULT CBaseOutputPin::DeliverSample(IMediaSample* sample) {
    if (inputPin_ == nullptr) return VFW_E_NOT_CONNECTED;
    return inputPin_->Receive(sample);
}

HRESULT CBaseOutputPin::CreateDefaultAllocator(IMemAllocator** allocator) {
    const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                        reinterpret_cast<void**>(allocator));
    if (FAILED(hr)) *allocator = nullptr;
    return hr;
}

HRESULT CBaseOutputPin::SendEndOfStream() {
    IPin* const peer = connected_;
    return peer == nullptr ? VFW_E_NOT_CONNECTED : peer->EndOfStream();
}

HRESULT CBaseOutputPin::SendBeginFlush() {
    IPin* const peer = connected_;
    return peer == nullptr ? VFW_E_NOT_CONNECTED : peer->BeginFlush();
}

HRESULT CBaseOutputPin::SendEndFlush() {
    IPin* const peer = connected_;
    return peer == nullptr ? VFW_E_NOT_CONNECTED : peer->EndFlush();
}

HRESULT CBaseOutputPin::SendNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    IPin* const peer = connected_;
    return peer == nullptr ? VFW_E_NOT_CONNECTED : peer->NewSegment(start, stop, rate);
}

STDMETHODIMP CBaseOutputPin::EndOfStream() { return E_UNEXPECTED; }

STDMETHODIMP CBaseOutputPin::BeginFlush() { return E_UNEXPECTED; }

STDMETHODIMP CBaseOutputPin::EndFlush() { return E_UNEXPECTED; }
