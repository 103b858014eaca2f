// Walks the media types a pin prefers (IPin::EnumMediaTypes).
#ifndef DRAVIK_ENUM_MEDIA_TYPES_H
#define DRAVIK_ENUM_MEDIA_TYPES_H

#include <dshow.h>

class CBasePin;

// Not aggregated and not counted as a live object; keeps its pin (and so its
// filter) alive. Once the pin's type list changes, everything but Reset
// reports VFW_E_ENUM_OUT_OF_SYNC.
class CEnumMediaTypes final : public IEnumMediaTypes {
public:
    // Fresh snapshot of the pin at position 0, reference count 1.
    explicit CEnumMediaTypes(CBasePin* pin);
    ~CEnumMediaTypes();
    CEnumMediaTypes(const CEnumMediaTypes&) = delete;
    CEnumMediaTypes& operator=(const CEnumMediaTypes&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Each type handed out lives in task memory; the caller frees it with DeleteTaskMediaType.
    STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumMediaTypes** clone) override;

private:
    int position_ = 0;
    CBasePin* const pin_;
    int version_ = 0;
    volatile LONG referenceCount_ = 1;
};

#endif
