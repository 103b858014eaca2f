// The registration description of a filter, laid out as the platform's
// AMOVIESETUP_FILTER, AMOVIESETUP_PIN and AMOVIESETUP_MEDIATYPE, so that the
// pin list can be handed to the filter mapper as its REGFILTERPINS array.
#ifndef DRAVIK_FILTER_SETUP_H
#define DRAVIK_FILTER_SETUP_H

#include <stddef.h>
#include <windows.h>
#include <dshow.h>

// Null GUIDs (MEDIATYPE_NULL, MEDIASUBTYPE_NULL) mean any type.
struct PinTypeSetup {
    const CLSID* MajorType;
    const CLSID* SubType;
};

struct PinSetup {
    const WCHAR* Name;
    BOOL Rendered;
    BOOL Output;
    BOOL Zero;  // the filter may have no instance of this pin
    BOOL Many;  // the filter may have several instances
    const CLSID* ConnectsToFilter;
    const WCHAR* ConnectsToPin;
    UINT MediaTypeCount;
    const PinTypeSetup* MediaTypes;
};

struct FilterSetup {
    const CLSID* Clsid;
    const WCHAR* Name;
    DWORD Merit;
    UINT PinCount;
    const PinSetup* Pins;
};

static_assert(sizeof(PinTypeSetup) == sizeof(REGPINTYPES) && offsetof(PinTypeSetup, SubType) == offsetof(REGPINTYPES, clsMinorType),
              "PinTypeSetup is laid out as REGPINTYPES");
static_assert(sizeof(PinSetup) == sizeof(REGFILTERPINS) &&
                  offsetof(PinSetup, Rendered) == offsetof(REGFILTERPINS, bRendered) &&
                  offsetof(PinSetup, Output) == offsetof(REGFILTERPINS, bOutput) &&
                  offsetof(PinSetup, Zero) == offsetof(REGFILTERPINS, bZero) &&
                  offsetof(PinSetup, Many) == offsetof(REGFILTERPINS, bMany) &&
                  offsetof(PinSetup, ConnectsToFilter) == offsetof(REGFILTERPINS, clsConnectsToFilter) &&
                  offsetof(PinSetup, ConnectsToPin) == offsetof(REGFILTERPINS, strConnectsToPin) &&
                  offsetof(PinSetup, MediaTypeCount) == offsetof(REGFILTERPINS, nMediaTypes) &&
                  offsetof(PinSetup, MediaTypes) == offsetof(REGFILTERPINS, lpMediaType),
              "PinSetup is laid out as REGFILTERPINS");

// The two filters' descriptions, also the SetupData of their factory rows.
extern const FilterSetup HelperFilterSetup;
extern const FilterSetup DummySourceSetup;

#endif
