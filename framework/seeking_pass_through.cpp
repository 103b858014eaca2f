#include "framework/seeking_pass_through.h"

HRESULT CreateSeekingPassThrough(IUnknown* outer, BOOL renderer, IPin* pin, IUnknown** passThrough) {
    if (passThrough == nullptr) return E_POINTER;
    *passThrough = nullptr;
    IUnknown* object = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_SeekingPassThru, outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&object));
    if (FAILED(hr)) return hr;
    if (object == nullptr) return E_NOINTERFACE;
    ISeekingPassThru* init = nullptr;
    hr = object->QueryInterface(IID_ISeekingPassThru, reinterpret_cast<void**>(&init));
    if (SUCCEEDED(hr) && init == nullptr) hr = E_NOINTERFACE;
    if (FAILED(hr)) {
        object->Release();
        return hr;
    }
    hr = init->Init(renderer, pin);
    init->Release();
    if (FAILED(hr)) {
        object->Release();
        return hr;
    }
    *passThrough = object;
    return S_OK;
}
