#include "framework/base_pin.h"

#include <new>

#include "framework/base_filter.h"
#include "framework/enum_media_types.h"
#include "module/com_helpers.h"

namespace {

// Codes that mean only "not this type"; a later candidate may still succeed.
bool IsTypeRefusal(HRESULT hr) { return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED; }

// COwnedMediaType adds nothing to AM_MEDIA_TYPE, so its queries apply to any plain record.
const COwnedMediaType& AsOwned(const AM_MEDIA_TYPE& type) { return static_cast<const COwnedMediaType&>(type); }

}  // namespace

CBasePin::CBasePin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT*, LPCWSTR pinName,
                   PIN_DIRECTION direction)
    : CUnknown(objectName, nullptr), direction_(direction), lock_(pinLock), filter_(filter) {
    if (pinName == nullptr) return;
    const int length = lstrlenW(pinName);
    name_ = new (std::nothrow) WCHAR[static_cast<size_t>(length) + 1];
    if (name_ == nullptr) return;
    for (int i = 0; i <= length; ++i) name_[i] = pinName[i];
}

CBasePin::~CBasePin() {
    delete[] name_;
    // A pin destroyed while still connected must not keep its peer's filter alive.
    ReleaseConnected();
}

void CBasePin::ReleaseConnected() {
    if (connected_ == nullptr) return;
    connected_->Release();
    connected_ = nullptr;
}

STDMETHODIMP CBasePin::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IPin) return GetInterfacePointer(static_cast<IPin*>(this), object);
    if (riid == IID_IQualityControl) return GetInterfacePointer(static_cast<IQualityControl*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingAddRef() {
    if (filter_ == nullptr) return CUnknown::NonDelegatingAddRef();
    return static_cast<IBaseFilter*>(filter_)->AddRef();
}

STDMETHODIMP_(ULONG) CBasePin::NonDelegatingRelease() {
    if (filter_ == nullptr) return CUnknown::NonDelegatingRelease();
    return static_cast<IBaseFilter*>(filter_)->Release();
}

int CBasePin::MediaTypesVersion() { return typeVersion_; }

HRESULT CBasePin::Activate() { return S_OK; }

HRESULT CBasePin::StartRunning(REFERENCE_TIME) { return S_OK; }

HRESULT CBasePin::SetPinType(const AM_MEDIA_TYPE* type) {
    COwnedMediaType replacement;
    if (FAILED(replacement.Assign(*type))) return E_OUTOFMEMORY;
    CLockGuard guard(typeLock_);
    // The old type leaves with `replacement`: readers see one type or the other, whole.
    mediaType_.Swap(replacement);
    return S_OK;
}

HRESULT CBasePin::CopyCurrentMediaType(COwnedMediaType* copy) {
    CLockGuard guard(typeLock_);
    return copy->Assign(mediaType_);
}

GUID CBasePin::CurrentSubtype() {
    CLockGuard guard(typeLock_);
    return mediaType_.subtype;
}

bool CBasePin::HasMediaType(const AM_MEDIA_TYPE& type) {
    CLockGuard guard(typeLock_);
    return mediaType_ == type;
}

HRESULT CBasePin::CheckPeer(IPin* peer) {
    // A peer that can't tell its direction is refused like one of ours.
    PIN_DIRECTION peerDirection = direction_;
    peer->QueryDirection(&peerDirection);
    return peerDirection == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::CompleteConnection(IPin*) { return S_OK; }

HRESULT CBasePin::MediaTypeAt(int, COwnedMediaType*) { return E_UNEXPECTED; }

bool CBasePin::IsFilterStopped() const { return filter_ == nullptr || filter_->IsStopped(); }

STDMETHODIMP CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (receivePin == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (!IsFilterStopped()) return VFW_E_NOT_STOPPED;
    const HRESULT hr = AgreeType(receivePin, type);
    if (FAILED(hr)) {
        BreakConnection();
        return hr;
    }
    return S_OK;
}

HRESULT CBasePin::AgreeType(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (type != nullptr && !AsOwned(*type).IsPartial()) return TryConnectWithType(receivePin, type);
    HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
    IPin* const lists[] = {receivePin, static_cast<IPin*>(this)};
    for (IPin* listOwner : lists) {
        IEnumMediaTypes* types = nullptr;
        if (FAILED(listOwner->EnumMediaTypes(&types)) || types == nullptr) continue;
        const HRESULT hr = TryTypeList(receivePin, type, types);
        types->Release();
        if (SUCCEEDED(hr)) return S_OK;
        if (!IsTypeRefusal(hr)) failure = hr;
    }
    return failure;
}

HRESULT CBasePin::TryTypeList(IPin* receivePin, const AM_MEDIA_TYPE* pattern, IEnumMediaTypes* types) {
    HRESULT hr = types->Reset();
    if (FAILED(hr)) return hr;
    HRESULT recorded = S_OK;
    for (;;) {
        AM_MEDIA_TYPE* candidate = nullptr;
        ULONG fetched = 0;
        if (types->Next(1, &candidate, &fetched) != S_OK) break;
        if (candidate == nullptr) continue;
        if (pattern != nullptr && !AsOwned(*candidate).MatchesPattern(*pattern)) {
            DeleteTaskMediaType(candidate);
            continue;
        }
        hr = TryConnectWithType(receivePin, candidate);
        DeleteTaskMediaType(candidate);
        // Any success leaves the pins connected, so no further candidate may be tried.
        if (SUCCEEDED(hr)) return S_OK;
        if (SUCCEEDED(recorded) && !IsTypeRefusal(hr)) recorded = hr;
    }
    return FAILED(recorded) ? recorded : VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::TryConnectWithType(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    HRESULT hr = CheckPeer(receivePin);
    if (FAILED(hr)) {
        BreakConnection();
        return hr;
    }
    hr = CheckPinType(type);
    if (hr != S_OK) {
        if (SUCCEEDED(hr) || IsTypeRefusal(hr)) hr = VFW_E_TYPE_NOT_ACCEPTED;
    } else {
        connected_ = receivePin;
        connected_->AddRef();
        hr = SetPinType(type);
        if (SUCCEEDED(hr)) hr = receivePin->ReceiveConnection(static_cast<IPin*>(this), type);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnection(receivePin);
            if (SUCCEEDED(hr)) return hr;
            receivePin->Disconnect();
        }
    }
    BreakConnection();
    ReleaseConnected();
    return hr;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (connector == nullptr || type == nullptr) return E_POINTER;
    CLockGuard guard(*lock_);
    if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (!IsFilterStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckPeer(connector);
    if (FAILED(hr)) {
        BreakConnection();
        return hr;
    }
    hr = CheckPinType(type);
    if (hr != S_OK) {
        BreakConnection();
        return SUCCEEDED(hr) || IsTypeRefusal(hr) ? VFW_E_TYPE_NOT_ACCEPTED : hr;
    }
    connected_ = connector;
    connected_->AddRef();
    hr = SetPinType(type);
    if (SUCCEEDED(hr)) hr = CompleteConnection(connector);
    if (SUCCEEDED(hr)) return S_OK;
    ReleaseConnected();
    BreakConnection();
    return hr;
}

STDMETHODIMP CBasePin::Disconnect() {
    CLockGuard guard(*lock_);
    if (!IsFilterStopped()) return VFW_E_NOT_STOPPED;
    if (!IsConnected()) return S_FALSE;
    const HRESULT hr = BreakConnection();
    if (FAILED(hr)) return hr;
    ReleaseConnected();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pin) {
    if (pin == nullptr) return E_POINTER;
    IPin* const peer = connected_;
    *pin = peer;
    if (peer == nullptr) return VFW_E_NOT_CONNECTED;
    peer->AddRef();
    return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (type == nullptr) return E_POINTER;
    if (!IsConnected()) {
        const COwnedMediaType empty;
        *type = empty;
        return VFW_E_NOT_CONNECTED;
    }
    CLockGuard guard(typeLock_);
    // A failed copy leaves the caller a record without a format block.
    CopyMediaTypeRecord(type, mediaType_);
    return S_OK;
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* info) {
    if (info == nullptr) return E_POINTER;
    info->pFilter = filter_ != nullptr ? static_cast<IBaseFilter*>(filter_) : nullptr;
    if (info->pFilter != nullptr) info->pFilter->AddRef();
    if (name_ != nullptr) {
        lstrcpynW(info->achName, name_, MAX_PIN_NAME);
    } else {
        info->achName[0] = 0;
    }
    info->dir = direction_;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (direction == nullptr) return E_POINTER;
    *direction = direction_;
    return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) return E_POINTER;
    const HRESULT hr = CheckPinType(type);
    return FAILED(hr) ? S_FALSE : hr;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (types == nullptr) return E_POINTER;
    *types = new (std::nothrow) CEnumMediaTypes(this);
    return *types == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    segmentStart_ = start;
    segmentStop_ = stop;
    segmentRate_ = rate;
    return S_OK;
}

STDMETHODIMP CBasePin::Notify(IBaseFilter*, Quality) { return E_NOTIMPL; }

STDMETHODIMP CBasePin::SetSink(IQualityControl* sink) {
    CLockGuard guard(*lock_);
    qualitySink_ = sink;
    return S_OK;
}
