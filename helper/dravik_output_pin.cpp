#include "helper/dravik_output_pin.h"

#include "framework/enum_media_types.h"
#include "framework/media_type.h"
#include "helper/dravik_filter.h"
#include "helper/dravik_input_pin.h"

CDravikOutputPin::CDravikOutputPin(CDravik* filter, HRESULT* result)
    : CTransInPlaceOutputPin(L"Output", filter, result, L"Output"), dravik_(filter) {}

HRESULT CDravikOutputPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    if (!dravik_->IsRelabelStream()) return CTransInPlaceOutputPin::CheckPinType(type);
    const HRESULT hr = dravik_->CheckInputFormat(type);
    if (FAILED(hr)) return hr;
    CBasePin* input = dravik_->PinAt(0);
    if (input == nullptr || !input->IsConnected()) return E_INVALIDARG;
    COwnedMediaType expected;
    if (FAILED(expected.Assign(input->CurrentMediaType()))) return E_OUTOFMEMORY;
    dravik_->RewriteOutputType(&expected);
    return expected == *type ? hr : E_FAIL;
}

STDMETHODIMP CDravikOutputPin::EnumMediaTypes(IEnumMediaTypes** types) { return CBasePin::EnumMediaTypes(types); }
