// CDravik's side of IGeneralProperties: the ten keys over the filter's fields.
#include "framework/format_blocks.h"
#include "helper/dravik_filter.h"
#include "helper/dravik_input_pin.h"

namespace {

// The GUID in braces as a caller-owned BSTR; E_FAIL when it can't be formatted.
HRESULT GuidToVariant(const GUID& guid, VARIANT* value) {
    LPOLESTR text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text))) return E_FAIL;
    BSTR copy = SysAllocString(text);
    CoTaskMemFree(text);
    if (copy == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = copy;
    return S_OK;
}

void SetI8(VARIANT* value, LONGLONG number) {
    value->vt = VT_I8;
    value->llVal = number;
}

}  // namespace

STDMETHODIMP CDravik::GetValueEx(const GUID* key, VARIANT* value, VARIANT*) {
    if (key == nullptr || value == nullptr) return E_POINTER;
    if (*key == GENPROP_Overlay) {
        value->vt = VT_BOOL;
        value->boolVal = overlay_.load() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    if (*key == GENPROP_InputSubtype) return GuidToVariant(RequiredSubtype(), value);
    if (*key == GENPROP_FirstFrameDuration) {
        const REFERENCE_TIME duration = firstFrameDuration_.load();
        if (duration == 0) return E_FAIL;
        SetI8(value, duration);
        return S_OK;
    }
    if (*key == GENPROP_LastStartTime) {
        SetI8(value, lastStartTime_.load());
        return S_OK;
    }
    if (*key == GENPROP_InputInterlaceFlags) {
        if (InputPin() == nullptr || !InputPin()->IsConnected()) return E_UNEXPECTED;
        // A copy: the streaming thread replaces the type on an in-band change.
        COwnedMediaType type;
        if (FAILED(InputPin()->CopyCurrentMediaType(&type))) return E_OUTOFMEMORY;
        const VIDEOINFOHEADER2* video = VideoInfo2Of(type);
        if (video == nullptr) return E_UNEXPECTED;
        value->vt = VT_UI4;
        value->ulVal = video->dwInterlaceFlags;
        return S_OK;
    }
    if (*key == GENPROP_InputAvgTimePerFrame) {
        if (InputPin() == nullptr || !InputPin()->IsConnected()) return E_UNEXPECTED;
        COwnedMediaType type;
        if (FAILED(InputPin()->CopyCurrentMediaType(&type))) return E_OUTOFMEMORY;
        if (VideoInfo2Of(type) == nullptr && VideoInfoOf(type) == nullptr) return E_UNEXPECTED;
        SetI8(value, FrameTimeOf(type));
        return S_OK;
    }
    if (*key == GENPROP_BytesReceived) {
        SetI8(value, bytesReceived_.load());
        return S_OK;
    }
    if (*key == GENPROP_FilterClsid) {
        CLSID clsid;
        GetClassID(&clsid);
        return GuidToVariant(clsid, value);
    }
    return E_FAIL;
}

STDMETHODIMP CDravik::SetValueEx(const GUID* key, VARIANT* value, VARIANT*) {
    if (key == nullptr || value == nullptr) return E_POINTER;
    if (*key == GENPROP_Overlay) {
        overlay_ = value->boolVal != 0;
        return S_OK;
    }
    if (*key == GENPROP_InputSubtype) {
        if (value->vt != VT_BSTR) return E_FAIL;
        // Parsed aside, so a malformed string leaves the setting as it was.
        GUID parsed;
        const HRESULT hr = CLSIDFromString(value->bstrVal, &parsed);
        if (SUCCEEDED(hr)) {
            CLockGuard guard(subtypeLock_);
            requiredSubtype_ = parsed;
        }
        return hr;
    }
    if (*key == GENPROP_OutputAvgTimePerFrame) {
        frameTimeOverride_ = value->llVal;
        return S_OK;
    }
    if (*key == GENPROP_OutputInterlaceFlags) {
        interlaceFlagsOverride_ = value->uiVal;
        interlaceOverrideSet_ = true;
        return S_OK;
    }
    return E_FAIL;
}
