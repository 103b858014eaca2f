#include "task_media_type.h"

HRESULT CopyToTaskMediaType(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE** copy) {
    *copy = nullptr;
    if (source.cbFormat != 0 && source.pbFormat == nullptr) return E_POINTER;
    AM_MEDIA_TYPE* made = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (made == nullptr) return E_OUTOFMEMORY;
    *made = source;
    made->pbFormat = nullptr;
    if (source.cbFormat != 0) {
        made->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (made->pbFormat == nullptr) {
            CoTaskMemFree(made);
            return E_OUTOFMEMORY;
        }
        memcpy(made->pbFormat, source.pbFormat, source.cbFormat);
    }
    if (made->pUnk != nullptr) made->pUnk->AddRef();
    *copy = made;
    return S_OK;
}

void FreeTaskMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return;
    CoTaskMemFree(type->pbFormat);
    if (type->pUnk != nullptr) type->pUnk->Release();
    CoTaskMemFree(type);
}
