#include "tools/dravik_stamp/helper_properties.h"

#include <cstdio>

#include "dravik/dravik.h"
#include "tools/dravik_stamp/hresult_text.h"
#include "tools/dravik_stamp/video_media_type.h"

namespace {

// The helper's property interface with one reference, or null.
IGeneralProperties* PropertiesOf(IBaseFilter* helper) {
    IGeneralProperties* properties = nullptr;
    if (FAILED(helper->QueryInterface(IID_IGeneralProperties, reinterpret_cast<void**>(&properties)))) return nullptr;
    return properties;
}

std::string NarrowBstr(BSTR text) {
    std::string narrow;
    for (const OLECHAR* c = text; c != nullptr && *c != 0; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
    return narrow;
}

std::string ReadValue(IGeneralProperties* properties, const GUID& key) {
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = properties->GetValue(&key, &value);
    if (FAILED(hr)) return "none (" + HresultText(hr) + ")";
    std::string result;
    char text[64];
    switch (value.vt) {
        case VT_I8:
            std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value.llVal));
            result = text;
            break;
        case VT_UI4:
            std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value.ulVal));
            result = text;
            break;
        case VT_BOOL:
            result = value.boolVal != VARIANT_FALSE ? "on" : "off";
            break;
        case VT_BSTR:
            result = NarrowBstr(value.bstrVal);
            break;
        default:
            std::snprintf(text, sizeof text, "value of type %u", static_cast<unsigned>(value.vt));
            result = text;
            break;
    }
    VariantClear(&value);
    return result;
}

HRESULT SetValue(IGeneralProperties* properties, const GUID& key, VARIANT value, const char* what, std::string* error) {
    const HRESULT hr = properties->SetValue(&key, &value);
    if (FAILED(hr)) *error = std::string("the helper filter refused the ") + what + " (" + HresultText(hr) + ")";
    return hr;
}

}  // namespace

HRESULT ApplyHelperSettings(IBaseFilter* helper, const StampOptions& options, std::string* error) {
    IGeneralProperties* properties = PropertiesOf(helper);
    if (properties == nullptr) {
        *error = "the helper filter has no IGeneralProperties";
        return E_NOINTERFACE;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = options.overlay ? VARIANT_TRUE : VARIANT_FALSE;
    HRESULT hr = SetValue(properties, GENPROP_Overlay, value, "overlay switch", error);
    if (SUCCEEDED(hr) && options.frameTime != 0) {
        VariantInit(&value);
        value.vt = VT_I8;
        value.llVal = options.frameTime;
        hr = SetValue(properties, GENPROP_OutputAvgTimePerFrame, value, "frame time", error);
    }
    if (SUCCEEDED(hr) && options.interlace != 0) {
        VariantInit(&value);
        value.vt = VT_UI2;
        value.uiVal = static_cast<USHORT>(InterlaceFlagsFromTag(options.interlace));
        hr = SetValue(properties, GENPROP_OutputInterlaceFlags, value, "interlace flags", error);
    }
    properties->Release();
    return hr;
}

std::string DescribeHelperCounters(IBaseFilter* helper) {
    IGeneralProperties* properties = PropertiesOf(helper);
    if (properties == nullptr) return "helper filter: no IGeneralProperties\n";
    const struct {
        const char* name;
        const GUID* key;
    } rows[] = {
        {"bytes received", &GENPROP_BytesReceived},
        {"first frame duration", &GENPROP_FirstFrameDuration},
        {"last start time", &GENPROP_LastStartTime},
        {"input frame time", &GENPROP_InputAvgTimePerFrame},
        {"input interlace flags", &GENPROP_InputInterlaceFlags},
        {"input subtype required", &GENPROP_InputSubtype},
        {"overlay", &GENPROP_Overlay},
        {"filter", &GENPROP_FilterClsid},
    };
    std::string text;
    for (const auto& row : rows) text += std::string(row.name) + ": " + ReadValue(properties, *row.key) + "\n";
    properties->Release();
    return text;
}
