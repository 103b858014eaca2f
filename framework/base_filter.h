// The common base of every filter of the module: state machine over the pins,
// clock and stream time, graph membership, pin enumeration, events.
#ifndef DRAVIK_BASE_FILTER_H
#define DRAVIK_BASE_FILTER_H

#include <dshow.h>

#include <atomic>

#include "framework/lock.h"
#include "module/object_base.h"

class CBasePin;
struct FilterSetup;

// Does not own its pins: the derived filter holds them and exposes them
// through PinCount and PinAt.
class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
public:
    // The lock is the derived filter's and outlives this object; it becomes FilterLock.
    CBaseFilter(const wchar_t* debugName, IUnknown* outer, CLock* filterLock, REFCLSID classId);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN

    // IBaseFilter, IMediaFilter and IPersist give IBaseFilter; IAMovieSetup its own part.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // Clock time minus the start time of the last Run; VFW_E_NO_CLOCK without a clock.
    virtual HRESULT StreamTimeNow(REFERENCE_TIME* time);
    // Version of the pin list; pin enumerators resynchronise when it changes.
    virtual int PinsVersion();
    // Number of pins the filter has now.
    virtual int PinCount() = 0;
    // The pin at the index, no reference added; null outside 0..PinCount()-1.
    virtual CBasePin* PinAt(int index) = 0;
    // Registration description for IAMovieSetup; null: the module registers its filters itself.
    virtual const FilterSetup* SetupData();

    // IPersist: the class ID given at construction.
    STDMETHODIMP GetClassID(CLSID* classId) override;

    // IMediaFilter
    // Deactivates every connected pin, reports the first failure, and is stopped in any case.
    STDMETHODIMP Stop() override;
    // From Stopped activates every connected pin; the first failure leaves the filter Stopped.
    STDMETHODIMP Pause() override;
    // Pauses first when stopped, then starts every connected pin from the given start time.
    STDMETHODIMP Run(REFERENCE_TIME start) override;
    // The current state, never intermediate; the time-out is not used.
    STDMETHODIMP GetState(DWORD milliseconds, FILTER_STATE* state) override;
    // Holds one reference on the new clock (or none for null).
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
    // The held clock with a reference added, or null.
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter; FindPin is the derived filter's.
    // A CEnumPins over PinCount and PinAt.
    STDMETHODIMP EnumPins(IEnumPins** pins) override;
    // The name cut to 127 characters and the graph with a reference added.
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
    // Keeps the graph and its event sink uncounted and a copy of the name; null leaves the graph.
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    // E_NOTIMPL: no vendor text.
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

    // IAMovieSetup: S_FALSE without SetupData, E_NOTIMPL with it.
    STDMETHODIMP Register() override;
    // IAMovieSetup: S_FALSE without SetupData, E_NOTIMPL with it.
    STDMETHODIMP Unregister() override;

    // Passes an event to the graph's sink; E_NOTIMPL outside a graph with one.
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    // Read without the lock, as the pins and the streaming paths need it.
    bool IsStopped() const { return FilterState == State_Stopped; }

protected:
    // The graph the filter belongs to; not reference counted.
    IFilterGraph* Graph() const { return graph_; }

    // Written under the filter lock, read by streaming threads without it.
    std::atomic<FILTER_STATE> FilterState{State_Stopped};
    REFERENCE_TIME StartTime = 0;
    CLock* const FilterLock;

private:
    // Calls the operation on every connected pin in index order.
    template <class Step>
    HRESULT ForEachConnectedPin(Step step, bool stopAtFailure);

    // Leaf lock: guards clock_, which a neighbour may ask for while Stop holds
    // the filter lock. Only AddRef is called under it.
    CLock clockLock_;
    IReferenceClock* clock_ = nullptr;
    const CLSID classId_;
    WCHAR* name_ = nullptr;
    IFilterGraph* graph_ = nullptr;
    IMediaEventSink* eventSink_ = nullptr;
    const int pinsVersion_ = 1;
};

#endif
