#include "framework/trans_in_place_input_pin.h"

#include "framework/trans_in_place_filter.h"
#include "framework/trans_in_place_output_pin.h"

CTransInPlaceInputPin::CTransInPlaceInputPin(const wchar_t* objectName, CTransInPlaceFilter* filter, HRESULT* result,
                                             LPCWSTR pinName)
    : CTransformInputPin(objectName, filter, result, pinName), inPlaceFilter_(filter) {}

HRESULT CTransInPlaceInputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    const HRESULT hr = inPlaceFilter_->CheckInputFormat(type);
    if (hr != S_OK) return hr;
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IPin* const downstream = output != nullptr ? output->GetConnected() : nullptr;
    return downstream != nullptr ? downstream->QueryAccept(type) : S_OK;
}

HRESULT CTransInPlaceInputPin::CompleteConnection(IPin* peer) {
    const HRESULT hr = CBasePin::CompleteConnection(peer);
    if (FAILED(hr)) return hr;
    return inPlaceFilter_->OnCompleteConnect(PINDIR_INPUT, peer);
}

STDMETHODIMP CTransInPlaceInputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr) return E_POINTER;
    *types = nullptr;
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IPin* const downstream = output != nullptr ? output->GetConnected() : nullptr;
    if (downstream == nullptr) return VFW_E_NOT_CONNECTED;
    return downstream->EnumMediaTypes(types);
}

STDMETHODIMP CTransInPlaceInputPin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IMemInputPin* const downstream = output != nullptr ? output->ConnectedInputPin() : nullptr;
    if (downstream == nullptr) return CBaseInputPin::GetAllocator(allocator);
    *allocator = nullptr;
    const HRESULT hr = downstream->GetAllocator(allocator);
    if (SUCCEEDED(hr) && *allocator != nullptr) output->SetOutputAllocator(*allocator);
    return hr;
}

STDMETHODIMP CTransInPlaceInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (allocator == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    upstreamReadOnly_ = readOnly;
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IMemInputPin* const downstream = output != nullptr ? output->ConnectedInputPin() : nullptr;
    // The input is reconnected once the output connects, so this allocator is not used for streaming.
    if (downstream == nullptr) return CBaseInputPin::NotifyAllocator(allocator, readOnly);

    HRESULT hr = S_OK;
    if (readOnly && inPlaceFilter_->ModifiesData()) {
        hr = PrepareSeparateOutputAllocator(allocator);
    } else {
        hr = downstream->NotifyAllocator(allocator, readOnly);
        if (FAILED(hr)) return hr;
        output->SetOutputAllocator(allocator);
    }
    if (FAILED(hr)) return hr;
    allocator->AddRef();
    if (allocator_ != nullptr) allocator_->Release();
    allocator_ = allocator;
    readOnly_ = readOnly != FALSE;
    return hr;
}

HRESULT CTransInPlaceInputPin::PrepareSeparateOutputAllocator(IMemAllocator* upstream) {
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IMemInputPin* const downstream = output->ConnectedInputPin();
    HRESULT obtained = S_OK;
    if (output->Allocator() == nullptr) {
        IMemAllocator* fresh = nullptr;
        obtained = downstream->GetAllocator(&fresh);
        if (FAILED(obtained)) {
            fresh = nullptr;
            obtained = output->CreateDefaultAllocator(&fresh);
        }
        if (fresh != nullptr) {
            output->SetOutputAllocator(fresh);
            fresh->Release();
        }
    }
    IMemAllocator* const separate = output->Allocator();
    // Writing into the upstream buffers is exactly what read-only forbids.
    if (separate == upstream) return E_FAIL;
    if (FAILED(obtained)) return obtained;
    if (separate == nullptr) return E_UNEXPECTED;

    ALLOCATOR_PROPERTIES wanted{};
    HRESULT hr = upstream->GetProperties(&wanted);
    if (FAILED(hr)) return hr;
    ALLOCATOR_PROPERTIES actual{};
    hr = separate->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cBuffers < wanted.cBuffers || actual.cbBuffer < wanted.cbBuffer || actual.cbAlign < wanted.cbAlign) {
        return E_FAIL;
    }
    return downstream->NotifyAllocator(separate, FALSE);
}

STDMETHODIMP CTransInPlaceInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) {
    CTransInPlaceOutputPin* const output = inPlaceFilter_->InPlaceOutputPin();
    IMemInputPin* const downstream = output != nullptr ? output->ConnectedInputPin() : nullptr;
    if (downstream == nullptr) return E_NOTIMPL;
    return downstream->GetAllocatorRequirements(properties);
}
