#include "tests/wine/e2e/helper_properties.h"

#include "tests/wine/e2e/graph_helpers.h"

namespace {

// Reads one value into a cleared VARIANT; the caller clears it.
HRESULT ReadVariant(IBaseFilter* helper, const GUID& key, VARIANT* value) {
    if (!helper) return E_POINTER;
    ComPtr<IGeneralProperties> properties;
    HRESULT hr = helper->QueryInterface(IID_IGeneralProperties, reinterpret_cast<void**>(properties.GetAddressOf()));
    if (FAILED(hr)) return hr;
    VariantInit(value);
    return properties->GetValue(&key, value);
}

HRESULT WriteVariant(IBaseFilter* helper, const GUID& key, VARIANT* value) {
    if (!helper) return E_POINTER;
    ComPtr<IGeneralProperties> properties;
    HRESULT hr = helper->QueryInterface(IID_IGeneralProperties, reinterpret_cast<void**>(properties.GetAddressOf()));
    if (FAILED(hr)) return hr;
    return properties->SetValue(&key, value);
}

std::string Narrow(const WCHAR* text) {
    std::string narrow;
    for (; text && *text; ++text) narrow.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return narrow;
}

}  // namespace

HRESULT ReadInt64(IBaseFilter* helper, const GUID& key, LONGLONG* value) {
    if (!value) return E_POINTER;
    VARIANT variant;
    HRESULT hr = ReadVariant(helper, key, &variant);
    if (FAILED(hr)) return hr;
    hr = variant.vt == VT_I8 ? S_OK : DISP_E_TYPEMISMATCH;
    if (SUCCEEDED(hr)) *value = variant.llVal;
    VariantClear(&variant);
    return hr;
}

HRESULT ReadUInt32(IBaseFilter* helper, const GUID& key, ULONG* value) {
    if (!value) return E_POINTER;
    VARIANT variant;
    HRESULT hr = ReadVariant(helper, key, &variant);
    if (FAILED(hr)) return hr;
    hr = variant.vt == VT_UI4 ? S_OK : DISP_E_TYPEMISMATCH;
    if (SUCCEEDED(hr)) *value = variant.ulVal;
    VariantClear(&variant);
    return hr;
}

HRESULT ReadString(IBaseFilter* helper, const GUID& key, std::string* value) {
    if (!value) return E_POINTER;
    VARIANT variant;
    HRESULT hr = ReadVariant(helper, key, &variant);
    if (FAILED(hr)) return hr;
    hr = variant.vt == VT_BSTR ? S_OK : DISP_E_TYPEMISMATCH;
    if (SUCCEEDED(hr)) *value = Narrow(variant.bstrVal);
    VariantClear(&variant);
    return hr;
}

HRESULT SetOverlay(IBaseFilter* helper, bool on) {
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BOOL;
    variant.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    return WriteVariant(helper, GENPROP_Overlay, &variant);
}

HRESULT SetInputSubtype(IBaseFilter* helper, const GUID& subtype) {
    WCHAR text[40];
    if (StringFromGUID2(subtype, text, 40) == 0) return E_UNEXPECTED;
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocString(text);
    if (!variant.bstrVal) return E_OUTOFMEMORY;
    HRESULT hr = WriteVariant(helper, GENPROP_InputSubtype, &variant);
    VariantClear(&variant);
    return hr;
}

std::string GuidText(const GUID& guid) {
    WCHAR text[40];
    if (StringFromGUID2(guid, text, 40) == 0) return std::string();
    return Narrow(text);
}
