// The class factory DllGetClassObject hands out for one factory row.
#ifndef DRAVIK_CLASS_FACTORY_H
#define DRAVIK_CLASS_FACTORY_H

#include "module/factory_table.h"
#include "module/object_base.h"

class CClassFactory final : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryEntry* row);

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    const CFactoryEntry* const row_;
    volatile LONG referenceCount_ = 0;
};

#endif
