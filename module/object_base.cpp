#include "module/object_base.h"

#include "module/com_helpers.h"
#include "module/module_state.h"

CBaseObject::CBaseObject(const wchar_t*) { InterlockedIncrement(&LiveObjectCount); }

CBaseObject::~CBaseObject() { InterlockedDecrement(&LiveObjectCount); }

CUnknown::CUnknown(const wchar_t* debugName, IUnknown* outer)
    : CBaseObject(debugName), inner_(this), owner_(outer != nullptr ? outer : &inner_) {}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown) {
        return GetInterfacePointer(static_cast<IUnknown*>(&inner_), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef() {
    const LONG count = InterlockedIncrement(&referenceCount_);
    return count < 1 ? 1 : static_cast<ULONG>(count);
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease() {
    const LONG count = InterlockedDecrement(&referenceCount_);
    if (count == 0) {
        // Held at 1 while the destructor runs, so a nested AddRef/Release pair
        // during destruction cannot destroy the object twice.
        referenceCount_ = 1;
        delete this;
        return 0;
    }
    return count < 1 ? 1 : static_cast<ULONG>(count);
}
