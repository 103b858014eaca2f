// Native only: the classes CoCreateInstance can make, standing in for the
// platform's registered in-process servers.
#ifndef PLATFORM_CLASS_TABLE_H
#define PLATFORM_CLASS_TABLE_H

#include <windows.h>

// Creates an object (aggregated under outer when given) and hands out riid.
typedef HRESULT (*PlatformCreateFunction)(IUnknown* outer, REFIID riid, void** object);

struct PlatformClass {
    const CLSID* clsid;
    PlatformCreateFunction create;
};

extern const PlatformClass PlatformClasses[];
extern const size_t PlatformClassCount;

#endif
