#include "module/class_factory.h"

#include <new>

#include "module/module_state.h"

CClassFactory::CClassFactory(const CFactoryEntry* row) : CBaseObject(L"Class factory"), row_(row) {}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&referenceCount_)); }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    const LONG count = InterlockedDecrement(&referenceCount_);
    if (count == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    // Aggregation only through the inner object's own unknown.
    if (outer != nullptr && riid != IID_IUnknown) return E_NOINTERFACE;

    HRESULT result = S_OK;
    CUnknown* created = row_->CreateFunction(outer, &result);
    if (created == nullptr) return FAILED(result) ? result : E_OUTOFMEMORY;
    if (FAILED(result)) {
        delete created;
        return result;
    }
    created->NonDelegatingAddRef();
    const HRESULT answer = created->NonDelegatingQueryInterface(riid, object);
    created->NonDelegatingRelease();
    return answer;
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        InterlockedIncrement(&ServerLockCount);
    } else {
        InterlockedDecrement(&ServerLockCount);
    }
    return S_OK;
}
