#include "helper/general_properties.h"

namespace {

HRESULT BatchResult(ULONG count, ULONG succeeded) {
    if (succeeded == count) return S_OK;
    return succeeded == 0 ? E_FAIL : S_FALSE;
}

}  // namespace

STDMETHODIMP CGeneralProperties::GetValue(const GUID* key, VARIANT* value) { return GetValueEx(key, value, nullptr); }

STDMETHODIMP CGeneralProperties::SetValue(const GUID* key, VARIANT* value) { return SetValueEx(key, value, nullptr); }

STDMETHODIMP CGeneralProperties::GetValueEx(const GUID*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CGeneralProperties::SetValueEx(const GUID*, VARIANT*, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP CGeneralProperties::GetValues(ULONG count, PropertyEntry* entries) {
    if (entries == nullptr && count != 0) return E_POINTER;
    ULONG succeeded = 0;
    for (ULONG i = 0; i < count; ++i) {
        if (SUCCEEDED(GetValueEx(&entries[i].key, &entries[i].value, &entries[i].parameter))) ++succeeded;
    }
    return BatchResult(count, succeeded);
}

STDMETHODIMP CGeneralProperties::SetValues(ULONG count, PropertyEntry* entries) {
    if (entries == nullptr && count != 0) return E_POINTER;
    ULONG succeeded = 0;
    for (ULONG i = 0; i < count; ++i) {
        if (SUCCEEDED(SetValueEx(&entries[i].key, &entries[i].value, &entries[i].parameter))) ++succeeded;
    }
    return BatchResult(count, succeeded);
}
