// The reusable half of IGeneralProperties: the convenience and batch
// operations, written in terms of the two single-property operations a
// deriving class implements. Its IUnknown operations come from that class.
#ifndef DRAVIK_GENERAL_PROPERTIES_H
#define DRAVIK_GENERAL_PROPERTIES_H

#include "dravik/dravik.h"

class CGeneralProperties : public IGeneralProperties {
public:
    virtual ~CGeneralProperties() = default;

    // GetValueEx with no parameter.
    STDMETHODIMP GetValue(const GUID* key, VARIANT* value) override;
    // SetValueEx with no parameter.
    STDMETHODIMP SetValue(const GUID* key, VARIANT* value) override;
    // Reads one property; E_NOTIMPL here.
    STDMETHODIMP GetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) override;
    // Writes one property; E_NOTIMPL here.
    STDMETHODIMP SetValueEx(const GUID* key, VARIANT* value, VARIANT* parameter) override;
    // Reads every entry: S_OK when all succeed, E_FAIL when none does, S_FALSE otherwise.
    STDMETHODIMP GetValues(ULONG count, PropertyEntry* entries) override;
    // Writes every entry, answering as GetValues.
    STDMETHODIMP SetValues(ULONG count, PropertyEntry* entries) override;
};

#endif
