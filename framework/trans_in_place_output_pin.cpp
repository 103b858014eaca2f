#include "framework/trans_in_place_output_pin.h"

#include "framework/trans_in_place_filter.h"
#include "framework/trans_in_place_input_pin.h"

CTransInPlaceOutputPin::CTransInPlaceOutputPin(const wchar_t* objectName, CTransInPlaceFilter* filter,
                                               HRESULT* result, LPCWSTR pinName)
    : CTransformOutputPin(objectName, filter, result, pinName), inPlaceFilter_(filter) {}

HRESULT CTransInPlaceOutputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    // A copied stream can't change its format on the fly.
    if (inPlaceFilter_->AllocatorsDiffer() && !IsFilterStopped()) {
        return HasMediaType(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    const HRESULT hr = inPlaceFilter_->CheckInputFormat(type);
    if (hr != S_OK) return hr;
    CTransformInputPin* const input = inPlaceFilter_->InputPin();
    IPin* const upstream = input != nullptr ? input->GetConnected() : nullptr;
    return upstream != nullptr ? upstream->QueryAccept(type) : S_OK;
}

HRESULT CTransInPlaceOutputPin::CompleteConnection(IPin* peer) {
    const HRESULT hr = CBaseOutputPin::CompleteConnection(peer);
    if (FAILED(hr)) return hr;
    return inPlaceFilter_->OnCompleteConnect(PINDIR_OUTPUT, peer);
}

STDMETHODIMP CTransInPlaceOutputPin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr) return E_POINTER;
    *types = nullptr;
    CTransformInputPin* const input = inPlaceFilter_->InputPin();
    IPin* const upstream = input != nullptr ? input->GetConnected() : nullptr;
    if (upstream == nullptr) return VFW_E_NOT_CONNECTED;
    return upstream->EnumMediaTypes(types);
}

void CTransInPlaceOutputPin::SetOutputAllocator(IMemAllocator* allocator) {
    if (allocator != nullptr) allocator->AddRef();
    if (allocator_ != nullptr) allocator_->Release();
    allocator_ = allocator;
}
