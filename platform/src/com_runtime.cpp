// The COM library's apartment bookkeeping and class activation.
#include <windows.h>

#include <atomic>

#include "class_table.h"
#include "com_library.h"

namespace {
// Per-thread initialisation count, as CoInitialize/CoUninitialize pair up.
thread_local int initialisations = 0;
std::atomic<bool> comLibraryLoaded{false};
}  // namespace

bool ComLibraryLoaded() { return comLibraryLoaded.load(); }

void MarkComLibraryLoaded() { comLibraryLoaded.store(true); }

extern "C" HRESULT CoInitializeEx(LPVOID, DWORD) {
    MarkComLibraryLoaded();
    return initialisations++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

extern "C" void CoUninitialize() {
    if (initialisations > 0) --initialisations;
}

// Natively no server module is ever loaded on demand, so none is unloaded.
extern "C" void CoFreeUnusedLibraries() {}

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    MarkComLibraryLoaded();
    if (outer != nullptr && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    for (size_t i = 0; i < PlatformClassCount; ++i) {
        if (*PlatformClasses[i].clsid == clsid) return PlatformClasses[i].create(outer, riid, object);
    }
    return REGDB_E_CLASSNOTREG;
}
