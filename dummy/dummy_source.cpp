#include "dummy/dummy_source.h"

#include <new>

#include "dravik/dravik.h"
#include "dummy/dummy_pin.h"

CUnknown* CDS::CreateInstance(IUnknown* outer, HRESULT* result) {
    return new (std::nothrow) CDS(outer, result);
}

CDS::CDS(IUnknown* outer, HRESULT* result) : CSource(L"Velmora Dravik Dummy Source", outer, CLSID_DravikDummySource) {
    // The pin adds itself to the filter; without memory the filter has no pin.
    new (std::nothrow) CDSPin(result, this);
}
