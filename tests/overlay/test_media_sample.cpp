#include "tests/overlay/test_media_sample.h"

STDMETHODIMP CTestMediaSample::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IMediaSample) return E_NOINTERFACE;
    *object = static_cast<IMediaSample*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CTestMediaSample::GetPointer(BYTE** buffer) {
    if (buffer == nullptr) return E_POINTER;
    *buffer = SUCCEEDED(pointerResult_) ? buffer_ : nullptr;
    return pointerResult_;
}

STDMETHODIMP CTestMediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (type == nullptr) return E_POINTER;
    *type = nullptr;
    return S_FALSE;
}
