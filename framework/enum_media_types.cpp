#include "framework/enum_media_types.h"

#include <new>

#include "framework/base_pin.h"
#include "framework/media_type.h"
#include "module/com_helpers.h"

namespace {

// Positions wrap like the platform's 32-bit arithmetic instead of overflowing.
int AdvancedPosition(int position, ULONG count) {
    return static_cast<int>(static_cast<ULONG>(position) + count);
}

}  // namespace

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin) : pin_(pin), version_(pin->MediaTypesVersion()) {
    static_cast<IPin*>(pin_)->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() { static_cast<IPin*>(pin_)->Release(); }

STDMETHODIMP CEnumMediaTypes::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IEnumMediaTypes || riid == IID_IUnknown) {
        return GetInterfacePointer(static_cast<IEnumMediaTypes*>(this), object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumMediaTypes::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&referenceCount_)); }

STDMETHODIMP_(ULONG) CEnumMediaTypes::Release() {
    const LONG count = InterlockedDecrement(&referenceCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
    if (types == nullptr) return E_POINTER;
    if (pin_->MediaTypesVersion() != version_) return VFW_E_ENUM_OUT_OF_SYNC;
    if (fetched != nullptr) {
        *fetched = 0;
    } else if (count > 1) {
        return E_INVALIDARG;
    }
    ULONG done = 0;
    while (done < count) {
        COwnedMediaType type;
        const int position = position_;
        position_ = AdvancedPosition(position_, 1);
        if (pin_->MediaTypeAt(position, &type) != S_OK) break;
        auto* block = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (block == nullptr) break;
        // The format block and the pUnk reference move into the task-memory record.
        *block = type;
        type.cbFormat = 0;
        type.pbFormat = nullptr;
        type.pUnk = nullptr;
        types[done++] = block;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG count) {
    if (count == 0) return S_OK;
    if (pin_->MediaTypesVersion() != version_) return VFW_E_ENUM_OUT_OF_SYNC;
    position_ = AdvancedPosition(position_, count);
    COwnedMediaType last;
    return pin_->MediaTypeAt(AdvancedPosition(position_, static_cast<ULONG>(-1)), &last) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Reset() {
    position_ = 0;
    version_ = pin_->MediaTypesVersion();
    return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** clone) {
    if (clone == nullptr) return E_POINTER;
    *clone = nullptr;
    if (pin_->MediaTypesVersion() != version_) return VFW_E_ENUM_OUT_OF_SYNC;
    CEnumMediaTypes* copy = new (std::nothrow) CEnumMediaTypes(pin_);
    if (copy == nullptr) return E_OUTOFMEMORY;
    copy->position_ = position_;
    copy->version_ = version_;
    *clone = copy;
    return S_OK;
}
