// The seeking pass-through: answers IMediaSeeking and IMediaPosition for a
// filter by passing every call to the pin connected to the filter's input pin.
// The input pin is held as a plain pointer: the filter owns this object
// (usually through its output pin), so a reference would keep the filter alive.
#include "seeking_passthru.h"

#include <dshow.h>

#include <atomic>
#include <new>

#include "live_object.h"

namespace {

class PlatformSeekingPassThru final : public ISeekingPassThru, public IMediaSeeking, public IMediaPosition {
public:
    explicit PlatformSeekingPassThru(IUnknown* outer) : inner_(this), outer_(outer != nullptr ? outer : &inner_) {}
    PlatformSeekingPassThru(const PlatformSeekingPassThru&) = delete;
    PlatformSeekingPassThru& operator=(const PlatformSeekingPassThru&) = delete;

    // The object's own unknown: it counts the references and answers for the
    // object, also when an outer object aggregates it.
    class Inner final : public IUnknown {
    public:
        explicit Inner(PlatformSeekingPassThru* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
        STDMETHODIMP_(ULONG) Release() override {
            const ULONG count = --references_;
            if (count == 0) delete owner_;
            return count;
        }

    private:
        PlatformSeekingPassThru* const owner_;
        std::atomic<ULONG> references_{0};
    };

    Inner* InnerUnknown() { return &inner_; }

    // The IUnknown of every interface answers for the outer object.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return outer_->QueryInterface(riid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

    // The renderer flag matters only to a renderer reporting its own position,
    // which no native filter does; the pin may be null.
    STDMETHODIMP Init(BOOL, IPin* pin) override {
        pin_.store(pin);
        return S_OK;
    }

    STDMETHODIMP GetCapabilities(DWORD* capabilities) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetCapabilities(capabilities); });
    }
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override {
        return Seek([&](IMediaSeeking* peer) { return peer->CheckCapabilities(capabilities); });
    }
    STDMETHODIMP IsFormatSupported(const GUID* format) override {
        return Seek([&](IMediaSeeking* peer) { return peer->IsFormatSupported(format); });
    }
    STDMETHODIMP QueryPreferredFormat(GUID* format) override {
        return Seek([&](IMediaSeeking* peer) { return peer->QueryPreferredFormat(format); });
    }
    STDMETHODIMP GetTimeFormat(GUID* format) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetTimeFormat(format); });
    }
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override {
        return Seek([&](IMediaSeeking* peer) { return peer->IsUsingTimeFormat(format); });
    }
    STDMETHODIMP SetTimeFormat(const GUID* format) override {
        return Seek([&](IMediaSeeking* peer) { return peer->SetTimeFormat(format); });
    }
    STDMETHODIMP GetDuration(LONGLONG* duration) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetDuration(duration); });
    }
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetStopPosition(stop); });
    }
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetCurrentPosition(current); });
    }
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override {
        return Seek([&](IMediaSeeking* peer) {
            return peer->ConvertTimeFormat(target, targetFormat, source, sourceFormat);
        });
    }
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override {
        return Seek([&](IMediaSeeking* peer) { return peer->SetPositions(current, currentFlags, stop, stopFlags); });
    }
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetPositions(current, stop); });
    }
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetAvailable(earliest, latest); });
    }
    STDMETHODIMP SetRate(double rate) override {
        return Seek([&](IMediaSeeking* peer) { return peer->SetRate(rate); });
    }
    STDMETHODIMP GetRate(double* rate) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetRate(rate); });
    }
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override {
        return Seek([&](IMediaSeeking* peer) { return peer->GetPreroll(preroll); });
    }

    // Natively there is no type library, so nothing is reachable by dispatch.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP get_Duration(REFTIME* length) override {
        return Position([&](IMediaPosition* peer) { return peer->get_Duration(length); });
    }
    STDMETHODIMP put_CurrentPosition(REFTIME time) override {
        return Position([&](IMediaPosition* peer) { return peer->put_CurrentPosition(time); });
    }
    STDMETHODIMP get_CurrentPosition(REFTIME* time) override {
        return Position([&](IMediaPosition* peer) { return peer->get_CurrentPosition(time); });
    }
    STDMETHODIMP get_StopTime(REFTIME* time) override {
        return Position([&](IMediaPosition* peer) { return peer->get_StopTime(time); });
    }
    STDMETHODIMP put_StopTime(REFTIME time) override {
        return Position([&](IMediaPosition* peer) { return peer->put_StopTime(time); });
    }
    STDMETHODIMP get_PrerollTime(REFTIME* time) override {
        return Position([&](IMediaPosition* peer) { return peer->get_PrerollTime(time); });
    }
    STDMETHODIMP put_PrerollTime(REFTIME time) override {
        return Position([&](IMediaPosition* peer) { return peer->put_PrerollTime(time); });
    }
    STDMETHODIMP put_Rate(double rate) override {
        return Position([&](IMediaPosition* peer) { return peer->put_Rate(rate); });
    }
    STDMETHODIMP get_Rate(double* rate) override {
        return Position([&](IMediaPosition* peer) { return peer->get_Rate(rate); });
    }
    STDMETHODIMP CanSeekForward(LONG* canSeek) override {
        return Position([&](IMediaPosition* peer) { return peer->CanSeekForward(canSeek); });
    }
    STDMETHODIMP CanSeekBackward(LONG* canSeek) override {
        return Position([&](IMediaPosition* peer) { return peer->CanSeekBackward(canSeek); });
    }

private:
    // The interface of the pin connected to the given pin, with one reference:
    // VFW_E_NOT_CONNECTED without a connection, E_NOTIMPL when that pin lacks it.
    HRESULT Peer(REFIID riid, void** object) {
        *object = nullptr;
        IPin* pin = pin_.load();
        if (pin == nullptr) return VFW_E_NOT_CONNECTED;
        IPin* connected = nullptr;
        if (FAILED(pin->ConnectedTo(&connected)) || connected == nullptr) return VFW_E_NOT_CONNECTED;
        const HRESULT hr = connected->QueryInterface(riid, object);
        connected->Release();
        if (FAILED(hr) || *object == nullptr) return E_NOTIMPL;
        return S_OK;
    }

    template <class Interface, class Call>
    HRESULT Forward(REFIID riid, Call call) {
        Interface* peer = nullptr;
        HRESULT hr = Peer(riid, reinterpret_cast<void**>(&peer));
        if (FAILED(hr)) return hr;
        hr = call(peer);
        peer->Release();
        return hr;
    }
    template <class Call>
    HRESULT Seek(Call call) {
        return Forward<IMediaSeeking>(IID_IMediaSeeking, call);
    }
    template <class Call>
    HRESULT Position(Call call) {
        return Forward<IMediaPosition>(IID_IMediaPosition, call);
    }

    Inner inner_;
    IUnknown* const outer_;
    std::atomic<IPin*> pin_{nullptr};
    PlatformLiveObject live_;
};

STDMETHODIMP PlatformSeekingPassThru::Inner::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    if (riid == IID_ISeekingPassThru) {
        *object = static_cast<ISeekingPassThru*>(owner_);
    } else if (riid == IID_IMediaSeeking) {
        *object = static_cast<IMediaSeeking*>(owner_);
    } else if (riid == IID_IMediaPosition || riid == IID_IDispatch) {
        *object = static_cast<IMediaPosition*>(owner_);
    } else {
        return E_NOINTERFACE;
    }
    owner_->outer_->AddRef();
    return S_OK;
}

}  // namespace

HRESULT CreateSeekingPassThru(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    PlatformSeekingPassThru* passThru = new (std::nothrow) PlatformSeekingPassThru(outer);
    if (passThru == nullptr) return E_OUTOFMEMORY;
    IUnknown* inner = passThru->InnerUnknown();
    inner->AddRef();
    const HRESULT result = inner->QueryInterface(riid, object);
    inner->Release();
    return result;
}
