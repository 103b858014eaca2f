#include "module/factory_table.h"

#include <dshow.h>

#include "dravik/dravik.h"
#include "dummy/dummy_source.h"
#include "module/filter_setup.h"

namespace {

// The helper filter is not built yet: its row answers E_NOTIMPL through the result slot.
CUnknown* CreateHelperFilter(IUnknown*, HRESULT* result) {
    if (result != nullptr) *result = E_NOTIMPL;
    return nullptr;
}

}  // namespace

const CFactoryEntry FactoryTable[] = {
    {L"Velmora Dravik Helper", &CLSID_DravikHelper, CreateHelperFilter, nullptr, &HelperFilterSetup},
    {L"Velmora Dravik Dummy Source", &CLSID_DravikDummySource, CDS::CreateInstance, nullptr, &DummySourceSetup},
};

const LONG FactoryTableCount = sizeof(FactoryTable) / sizeof(FactoryTable[0]);
