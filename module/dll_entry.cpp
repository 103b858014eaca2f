// The entry points the operating system and the COM runtime call.
#include <new>

#include "module/class_factory.h"
#include "module/factory_table.h"
#include "module/module_state.h"
#include "module/registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        ModuleHandle = instance;
        for (LONG row = 0; row < FactoryTableCount; ++row) {
            if (FactoryTable[row].InitFunction != nullptr) FactoryTable[row].InitFunction(TRUE, FactoryTable[row].Clsid);
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        for (LONG row = 0; row < FactoryTableCount; ++row) {
            if (FactoryTable[row].InitFunction != nullptr) FactoryTable[row].InitFunction(FALSE, FactoryTable[row].Clsid);
        }
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    for (LONG row = 0; row < FactoryTableCount; ++row) {
        if (*FactoryTable[row].Clsid != clsid) continue;
        CClassFactory* factory = new (std::nothrow) CClassFactory(&FactoryTable[row]);
        if (factory == nullptr) return E_OUTOFMEMORY;
        *object = static_cast<IClassFactory*>(factory);
        factory->AddRef();
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return (ServerLockCount > 0 || LiveObjectCount != 0) ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return RegisterServer(TRUE); }

STDAPI DllUnregisterServer() { return RegisterServer(FALSE); }

#ifndef _WIN32
#include "platform_resources.h"

// Natively there is no loader to call the entry point: attach when the
// module's code is loaded and detach when it is unloaded.
__attribute__((constructor)) static void AttachNativeModule() {
    DllMain(PlatformModuleFromAddress(reinterpret_cast<const void*>(&AttachNativeModule)), DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) static void DetachNativeModule() {
    DllMain(PlatformModuleFromAddress(reinterpret_cast<const void*>(&AttachNativeModule)), DLL_PROCESS_DETACH, nullptr);
}
#endif
