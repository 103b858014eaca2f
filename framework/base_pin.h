// The common core of every pin: the IPin connection protocol, the two-pass
// media-type agreement, identity queries, the segment and the quality sink.
#ifndef DRAVIK_BASE_PIN_H
#define DRAVIK_BASE_PIN_H

#include <dshow.h>

#include <atomic>

#include "framework/lock.h"
#include "framework/media_type.h"
#include "module/object_base.h"

class CBaseFilter;

// Keeps no count of its own: every reference on a pin is a reference on its
// filter, so a pin lives exactly as long as the filter that owns it.
class CBasePin : public CUnknown, public IPin, public IQualityControl {
public:
    // The lock guards the pin and is not owned (every pin gets its filter's
    // lock); the result slot is never written; a name that can't be copied is null.
    CBasePin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT* result, LPCWSTR pinName,
             PIN_DIRECTION direction);
    ~CBasePin() override;

    DECLARE_IUNKNOWN

    // IPin and IQualityControl, then the CUnknown answers.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;
    // Counted on the owning filter; answers the filter's count.
    STDMETHODIMP_(ULONG) NonDelegatingAddRef() override;
    // Released on the owning filter; answers the filter's count.
    STDMETHODIMP_(ULONG) NonDelegatingRelease() override;

    // Changes when the list of offered types changes; media-type enumerators compare it.
    virtual int MediaTypesVersion();
    // The filter leaves Stopped with this pin connected.
    virtual HRESULT Activate();
    // The filter stops with this pin connected.
    virtual HRESULT Deactivate() = 0;
    // The filter runs with this pin connected, from the given stream start.
    virtual HRESULT StartRunning(REFERENCE_TIME start);
    // S_OK accepts the type; any other code refuses it.
    virtual HRESULT CheckPinType(const AM_MEDIA_TYPE* type) = 0;
    // Keeps the agreed type; E_OUTOFMEMORY when it can't be copied.
    virtual HRESULT SetPinType(const AM_MEDIA_TYPE* type);
    // Refuses a peer of the same direction with VFW_E_INVALID_DIRECTION.
    virtual HRESULT CheckPeer(IPin* peer);
    // Undoes what connecting set up; must be harmless when nothing is held.
    virtual HRESULT BreakConnection() = 0;
    // Last step of a connection, after the peer has accepted the type.
    virtual HRESULT CompleteConnection(IPin* peer);
    // Fills the offered type at the position; E_UNEXPECTED: this pin offers none.
    virtual HRESULT MediaTypeAt(int position, COwnedMediaType* type);

    // IPin; QueryId, EndOfStream, BeginFlush and EndFlush are the derived pins'.
    // Agrees a type with the receiving pin under the pin lock; a null or partial type walks the lists.
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    // Accepts a connection with the connector's complete type under the pin lock.
    STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    // Breaks the connection while stopped; S_FALSE when there is none.
    STDMETHODIMP Disconnect() override;
    // The peer with a reference added; VFW_E_NOT_CONNECTED and null without one.
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    // A deep copy of the agreed type; the empty type and VFW_E_NOT_CONNECTED when unconnected.
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    // Filter with a reference added, the name cut to 127 characters, the direction.
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    // The direction fixed at construction.
    STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
    // CheckPinType, with every failure turned into S_FALSE.
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
    // A CEnumMediaTypes over MediaTypeAt.
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
    // E_NOTIMPL: no pin states its internal connections.
    STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
    // Stores the segment; nothing is passed on at this level.
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // IQualityControl
    // E_NOTIMPL at this level.
    STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;
    // Stores the sink without counting it.
    STDMETHODIMP SetSink(IQualityControl* sink) override;

    bool IsConnected() const { return connected_ != nullptr; }
    // The peer, no reference added; null when not connected.
    IPin* GetConnected() const { return connected_; }
    // The type last agreed; it stays after a disconnect until the next connection.
    // The reference is stable only where the type cannot change meanwhile: under
    // the filter lock while stopped, and on the streaming thread, the only one
    // that changes it while streaming. Other threads use the three below.
    const COwnedMediaType& CurrentMediaType() const { return mediaType_; }
    // A deep copy of the current type, whole whatever another thread does.
    HRESULT CopyCurrentMediaType(COwnedMediaType* copy);
    GUID CurrentSubtype();
    // The current type equals the given one.
    bool HasMediaType(const AM_MEDIA_TYPE& type);
    CBaseFilter* Filter() const { return filter_; }
    PIN_DIRECTION Direction() const { return direction_; }

protected:
    // A pin without a filter counts as stopped.
    bool IsFilterStopped() const;

    // Agrees a type with the receiving pin: a complete type directly, else
    // the receiving pin's list, then this pin's own.
    HRESULT AgreeType(IPin* receivePin, const AM_MEDIA_TYPE* type);
    // Tries every candidate of the list that matches the pattern (if any).
    HRESULT TryTypeList(IPin* receivePin, const AM_MEDIA_TYPE* pattern, IEnumMediaTypes* types);
    // One connection attempt with a complete type, rolled back on failure.
    HRESULT TryConnectWithType(IPin* receivePin, const AM_MEDIA_TYPE* type);

    WCHAR* name_ = nullptr;
    IPin* connected_ = nullptr;
    const PIN_DIRECTION direction_;
    CLock* const lock_;
    std::atomic<bool> runtimeError_{false};
    CBaseFilter* const filter_;
    IQualityControl* qualitySink_ = nullptr;
    const int typeVersion_ = 1;
    // Leaf lock (see CTransformFilter for the order of locks): guards
    // mediaType_, which the streaming thread replaces on an in-band type change
    // while other threads read it. Nothing is called under it but AddRef.
    CLock typeLock_;
    COwnedMediaType mediaType_;
    REFERENCE_TIME segmentStart_ = 0;
    REFERENCE_TIME segmentStop_ = 0x7FFFFFFFFFFFFFFFLL;
    double segmentRate_ = 1.0;

private:
    // Drops the peer reference and forgets the peer.
    void ReleaseConnected();
};

#endif
