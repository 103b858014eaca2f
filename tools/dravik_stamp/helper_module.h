// Reaches the helper filter through the module's own class factory: natively
// the module is linked in; on Windows Dravik.dll is loaded from the program's
// folder (no registration needed) and its DllGetClassObject called.
#ifndef DRAVIK_STAMP_HELPER_MODULE_H
#define DRAVIK_STAMP_HELPER_MODULE_H

#include <dshow.h>

#include <string>

class HelperModule {
public:
    HelperModule() = default;
    // Unloads the DLL when it has no live object left.
    ~HelperModule();
    HelperModule(const HelperModule&) = delete;
    HelperModule& operator=(const HelperModule&) = delete;

    // A new helper filter with one reference for the caller; on failure a one-line reason.
    HRESULT CreateHelperFilter(IBaseFilter** filter, std::string* error);

private:
    typedef HRESULT(STDAPICALLTYPE* GetClassObjectFunction)(REFCLSID, REFIID, void**);
    // The module's DllGetClassObject, or null with the reason.
    GetClassObjectFunction ClassObjectEntry(std::string* error);

#ifdef _WIN32
    HMODULE library_ = nullptr;
#endif
};

#endif
