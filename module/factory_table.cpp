#include "module/factory_table.h"

#include <dshow.h>

#include "dravik/dravik.h"
#include "dummy/dummy_source.h"
#include "helper/dravik_filter.h"
#include "module/filter_setup.h"

const CFactoryEntry FactoryTable[] = {
    {L"Velmora Dravik Helper", &CLSID_DravikHelper, CDravik::CreateInstance, nullptr, &HelperFilterSetup},
    {L"Velmora Dravik Dummy Source", &CLSID_DravikDummySource, CDS::CreateInstance, nullptr, &DummySourceSetup},
};

const LONG FactoryTableCount = sizeof(FactoryTable) / sizeof(FactoryTable[0]);
