// Native only: what the in-process filter mappers (CLSID_FilterMapper2 and
// CLSID_FilterMapper) have recorded, and controls over them for tests.
#ifndef PLATFORM_MAPPER_H
#define PLATFORM_MAPPER_H

#include <windows.h>

#include <string>
#include <vector>

struct PlatformMappedPinType {
    CLSID majorType;
    CLSID subType;
};

// Names are kept as UTF-8.
struct PlatformMappedPin {
    std::string name;
    BOOL rendered;
    BOOL output;
    BOOL zero;
    BOOL many;
    CLSID connectsToFilter;
    std::string connectsToPin;
    std::vector<PlatformMappedPinType> types;
};

// Each generation keeps its own entries, as the platform keeps them in
// different places: the newer one under a category (the default category is
// CLSID_LegacyAmFilterCategory), the older one under none (GUID_NULL).
struct PlatformMappedFilter {
    int generation;  // 2 for IFilterMapper2, 1 for IFilterMapper
    CLSID clsid;
    CLSID category;
    std::string name;
    DWORD merit;
    std::vector<PlatformMappedPin> pins;
};

#define PLATFORM_MAPPER_FIRST_GENERATION 0x1
#define PLATFORM_MAPPER_SECOND_GENERATION 0x2

// The registered filters, in the order of their first registration.
std::vector<PlatformMappedFilter> PlatformMapperFilters();

// Every registering or unregistering call either mapper received, in order,
// as "<method> <filter CLSID>" with " <pin name>" for the pin calls, e.g.
// "RegisterPinType {...} In".
std::vector<std::string> PlatformMapperCalls();

// CoCreateInstance refuses the given generations (REGDB_E_CLASSNOTREG) from now on.
void PlatformMapperRefuseCreation(DWORD generations);

// Every later call of the named method ("RegisterFilter", "RegisterPin",
// "RegisterPinType", "UnregisterFilter") on either mapper answers result and
// changes nothing. The call is still listed by PlatformMapperCalls.
void PlatformMapperFailCalls(const char* method, HRESULT result);

// Mapper objects created and not yet released.
LONG PlatformMapperLiveCount();

// Forgets every registration, call, refusal and failure.
void PlatformMapperReset();

#endif
