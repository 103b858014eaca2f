#include "dummy/dummy_source.h"

#include <new>

#include "dravik/dravik.h"
#include "dummy/dummy_pin.h"

CUnknown* CDS::CreateInstance(IUnknown* outer, HRESULT* result) {
    return new (std::nothrow) CDS(outer, result);
}

CDS::CDS(IUnknown* outer, HRESULT* result) : CSource(L"Velmora Dravik Dummy Source", outer, CLSID_DravikDummySource) {
    // The pin adds itself to the filter; without memory the filter has no pin.
    HRESULT added = S_OK;
    CDSPin* pin = new (std::nothrow) CDSPin(&added, this);
    if (pin == nullptr || SUCCEEDED(added)) return;
    // A pin the filter could not take in would never be destroyed with it.
    delete pin;
    if (result != nullptr) *result = added;
}
