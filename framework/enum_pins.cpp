#include "framework/enum_pins.h"

#include <algorithm>
#include <new>

#include "framework/base_filter.h"
#include "framework/base_pin.h"
#include "module/com_helpers.h"

CEnumPins::CEnumPins(CBaseFilter* filter) : filter_(filter) {
    static_cast<IBaseFilter*>(filter_)->AddRef();
    TakeSnapshot();
}

CEnumPins::~CEnumPins() { static_cast<IBaseFilter*>(filter_)->Release(); }

void CEnumPins::TakeSnapshot() {
    version_ = filter_->PinsVersion();
    pinCount_ = filter_->PinCount();
    position_ = 0;
}

bool CEnumPins::WasHandedOut(const CBasePin* pin) const {
    return std::find(handedOut_.begin(), handedOut_.end(), pin) != handedOut_.end();
}

STDMETHODIMP CEnumPins::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IEnumPins || riid == IID_IUnknown) return GetInterfacePointer(static_cast<IEnumPins*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumPins::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&referenceCount_)); }

STDMETHODIMP_(ULONG) CEnumPins::Release() {
    const LONG count = InterlockedDecrement(&referenceCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CEnumPins::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (pins == nullptr) return E_POINTER;
    if (fetched != nullptr) {
        *fetched = 0;
    } else if (count > 1) {
        return E_INVALIDARG;
    }
    if (filter_->PinsVersion() != version_) {
        // The list was rebuilt: start again from its beginning; the
        // handed-out list keeps pins already returned from coming back.
        version_ = filter_->PinsVersion();
        pinCount_ = filter_->PinCount();
        position_ = 0;
    }
    ULONG returned = 0;
    while (returned < count && position_ < pinCount_) {
        CBasePin* pin = filter_->PinAt(position_);
        ++position_;
        if (pin == nullptr) {
            // The filter lost a pin without a new version: hand out nothing
            // from this call, so the caller cannot leak what it never sees.
            for (ULONG i = 0; i < returned; ++i) {
                pins[i]->Release();
                pins[i] = nullptr;
            }
            handedOut_.resize(handedOut_.size() - returned);
            return VFW_E_ENUM_OUT_OF_SYNC;
        }
        if (WasHandedOut(pin)) continue;
        try {
            handedOut_.push_back(pin);
        } catch (const std::bad_alloc&) {
            break;
        }
        pins[returned] = static_cast<IPin*>(pin);
        pins[returned]->AddRef();
        ++returned;
    }
    if (fetched != nullptr) *fetched = returned;
    return returned == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG count) {
    if (filter_->PinsVersion() != version_) return VFW_E_ENUM_OUT_OF_SYNC;
    if (count > static_cast<ULONG>(pinCount_ - position_)) return S_FALSE;
    position_ += static_cast<int>(count);
    return S_OK;
}

STDMETHODIMP CEnumPins::Reset() {
    TakeSnapshot();
    handedOut_.clear();
    return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** clone) {
    if (clone == nullptr) return E_POINTER;
    *clone = nullptr;
    if (filter_->PinsVersion() != version_) return VFW_E_ENUM_OUT_OF_SYNC;
    CEnumPins* copy = new (std::nothrow) CEnumPins(filter_);
    if (copy == nullptr) return E_OUTOFMEMORY;
    copy->position_ = position_;
    copy->pinCount_ = pinCount_;
    copy->version_ = version_;
    try {
        copy->handedOut_ = handedOut_;
    } catch (const std::bad_alloc&) {
        copy->Release();
        return E_OUTOFMEMORY;
    }
    *clone = copy;
    return S_OK;
}
