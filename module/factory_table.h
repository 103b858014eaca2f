// The classes the module can create: one row per filter.
#ifndef DRAVIK_FACTORY_TABLE_H
#define DRAVIK_FACTORY_TABLE_H

#include <windows.h>

class CUnknown;
struct FilterSetup;

// Makes one object; stores a failure in the result slot or answers null.
typedef CUnknown* (*CreateFunctionType)(IUnknown* outer, HRESULT* result);
// Called at module attach (TRUE) and detach (FALSE).
typedef void (*InitFunctionType)(BOOL loading, const CLSID* clsid);

struct CFactoryEntry {
    const WCHAR* Name;
    const CLSID* Clsid;
    CreateFunctionType CreateFunction;
    InitFunctionType InitFunction;
    const FilterSetup* SetupData;
};

extern const CFactoryEntry FactoryTable[];
extern const LONG FactoryTableCount;

#endif
