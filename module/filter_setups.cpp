// What the filter mapper is told about the two filters: any media type on
// every pin, and a merit that keeps automatic graph building away from them.
#include "module/filter_setup.h"

#include "dravik/dravik.h"

namespace {

const PinTypeSetup kAnyType = {&MEDIATYPE_NULL, &MEDIASUBTYPE_NULL};

// The helper filter's "Out" row is also the dummy source's only pin.
const PinSetup kHelperPins[] = {
    {L"In", FALSE, FALSE, FALSE, TRUE, &CLSID_NULL, nullptr, 1, &kAnyType},
    {L"Out", FALSE, TRUE, FALSE, TRUE, &CLSID_NULL, nullptr, 1, &kAnyType},
};

const PinSetup* const kOutputPin = &kHelperPins[1];

}  // namespace

const FilterSetup HelperFilterSetup = {&CLSID_DravikHelper, L"Velmora Dravik Helper", MERIT_DO_NOT_USE, 2, kHelperPins};

const FilterSetup DummySourceSetup = {&CLSID_DravikDummySource, L"Velmora Dravik Dummy Source", MERIT_DO_NOT_USE, 1,
                                      kOutputPin};
