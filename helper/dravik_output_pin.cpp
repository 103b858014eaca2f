#include "helper/dravik_output_pin.h"

#include "framework/enum_media_types.h"
#include "framework/media_type.h"
#include "helper/dravik_filter.h"
#include "helper/dravik_input_pin.h"

CDravikOutputPin::CDravikOutputPin(CDravik* filter, HRESULT* result)
    : CTransInPlaceOutputPin(L"Output", filter, result, L"Output"), dravik_(filter) {}

HRESULT CDravikOutputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    if (!dravik_->IsRelabelStream()) {
        const HRESULT hr = CTransInPlaceOutputPin::CheckPinType(type);
        // The pin offers rewritten types; upstream is not asked about what it never announced.
        if (hr != S_OK && !IsStreamingWithCopies() && dravik_->CheckInputFormat(type) == S_OK &&
            dravik_->IsRewrittenInputType(*type)) {
            return S_OK;
        }
        return hr;
    }
    const HRESULT hr = dravik_->CheckInputFormat(type);
    if (FAILED(hr)) return hr;
    CBasePin* input = dravik_->PinAt(0);
    if (input == nullptr || !input->IsConnected()) return E_INVALIDARG;
    return dravik_->IsRewrittenInputType(*type) ? hr : E_FAIL;
}

bool CDravikOutputPin::IsStreamingWithCopies() const { return dravik_->AllocatorsDiffer() && !dravik_->IsStopped(); }

STDMETHODIMP CDravikOutputPin::EnumMediaTypes(IEnumMediaTypes** types) { return CBasePin::EnumMediaTypes(types); }
