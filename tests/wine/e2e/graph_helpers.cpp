#include "tests/wine/e2e/graph_helpers.h"

#include <dvdmedia.h>

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

namespace {

// The major type of the pin's first offered media type.
bool PinOffersMajorType(IPin* pin, const GUID& majorType) {
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(&types))) return false;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    bool matches = false;
    if (types->Next(1, &type, &fetched) == S_OK && fetched == 1 && type) {
        matches = IsEqualGUID(type->majortype, majorType) != FALSE;
        FreeMediaTypeContents(*type);
        CoTaskMemFree(type);
    }
    return matches;
}

// Runs IMediaControl::Stop so that the caller can give up waiting for it.
DWORD WINAPI StopThread(void* parameter) {
    IMediaControl* control = static_cast<IMediaControl*>(parameter);
    HRESULT hr = control->Stop();
    control->Release();
    return static_cast<DWORD>(hr);
}

}  // namespace

HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, const GUID* majorType, IPin** pin) {
    if (!pin) return E_POINTER;
    *pin = nullptr;
    if (!filter) return E_POINTER;
    ComPtr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(&pins);
    if (FAILED(hr)) return hr;
    ComPtr<IPin> candidate;
    while (pins->Next(1, candidate.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION actual;
        if (FAILED(candidate->QueryDirection(&actual)) || actual != direction) continue;
        if (majorType && !PinOffersMajorType(candidate.Get(), *majorType)) continue;
        *pin = candidate.Detach();
        return S_OK;
    }
    return VFW_E_NOT_FOUND;
}

HRESULT ConnectThrough(IGraphBuilder* graph, IPin* upstream, IBaseFilter* middle, IPin* downstream,
                       const AM_MEDIA_TYPE* type) {
    if (!graph || !upstream || !middle || !downstream) return E_POINTER;
    ComPtr<IPin> input;
    HRESULT hr = FindPin(middle, PINDIR_INPUT, nullptr, &input);
    if (FAILED(hr)) return hr;
    ComPtr<IPin> output;
    hr = FindPin(middle, PINDIR_OUTPUT, nullptr, &output);
    if (FAILED(hr)) return hr;
    hr = graph->ConnectDirect(upstream, input.Get(), type);
    if (FAILED(hr)) return hr;
    return graph->ConnectDirect(output.Get(), downstream, nullptr);
}

HRESULT ConnectionType(IPin* pin, AM_MEDIA_TYPE* type) {
    if (!pin || !type) return E_POINTER;
    *type = AM_MEDIA_TYPE{};
    return pin->ConnectionMediaType(type);
}

REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type) {
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER) && type.pbFormat)
        return reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->AvgTimePerFrame;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.cbFormat >= sizeof(VIDEOINFOHEADER2) && type.pbFormat)
        return reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->AvgTimePerFrame;
    return 0;
}

HRESULT StopGraphWithin(IMediaControl* control, DWORD timeoutMs) {
    if (!control) return E_POINTER;
    control->AddRef();  // the thread's reference
    HANDLE thread = CreateThread(nullptr, 0, StopThread, control, 0, nullptr);
    if (!thread) {
        control->Release();
        return HRESULT_FROM_WIN32(GetLastError());
    }
    HRESULT hr;
    if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) {
        hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    } else {
        DWORD code = 0;
        hr = GetExitCodeThread(thread, &code) ? static_cast<HRESULT>(code) : HRESULT_FROM_WIN32(GetLastError());
    }
    CloseHandle(thread);
    return hr;
}
