#include "tests/wine/e2e/dravik_filters.h"

#include <dravik/dravik.h>

HRESULT CreateHelper(IBaseFilter** helper) {
    return CoCreateInstance(CLSID_DravikHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            reinterpret_cast<void**>(helper));
}

HRESULT CreateDummySource(IBaseFilter** source) {
    return CoCreateInstance(CLSID_DravikDummySource, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                            reinterpret_cast<void**>(source));
}

bool IsModuleLoaded() { return GetModuleHandleW(L"Dravik.dll") != nullptr; }
