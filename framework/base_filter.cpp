#include "framework/base_filter.h"

#include <new>

#include "framework/base_pin.h"
#include "framework/enum_pins.h"
#include "module/com_helpers.h"

namespace {

// Longest name JoinFilterGraph accepts before the terminator.
constexpr size_t kLongestName = 0x7FFFFFFF;

}  // namespace

CBaseFilter::CBaseFilter(const wchar_t* debugName, IUnknown* outer, CLock* filterLock, REFCLSID classId)
    : CUnknown(debugName, outer), FilterLock(filterLock), classId_(classId) {}

CBaseFilter::~CBaseFilter() {
    delete[] name_;
    if (clock_ != nullptr) clock_->Release();
}

STDMETHODIMP CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist) {
        return GetInterfacePointer(static_cast<IBaseFilter*>(this), object);
    }
    if (riid == IID_IAMovieSetup) return GetInterfacePointer(static_cast<IAMovieSetup*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseFilter::StreamTimeNow(REFERENCE_TIME* time) {
    if (time == nullptr) return E_POINTER;
    IReferenceClock* clock = nullptr;
    GetSyncSource(&clock);  // never fails with an out pointer
    if (clock == nullptr) return VFW_E_NO_CLOCK;
    REFERENCE_TIME now = 0;
    const HRESULT hr = clock->GetTime(&now);
    clock->Release();
    if (FAILED(hr)) return hr;
    *time = now - StartTime;
    return S_OK;
}

int CBaseFilter::PinsVersion() { return pinsVersion_; }

const FilterSetup* CBaseFilter::SetupData() { return nullptr; }

STDMETHODIMP CBaseFilter::GetClassID(CLSID* classId) {
    if (classId == nullptr) return E_POINTER;
    *classId = classId_;
    return S_OK;
}

template <class Step>
HRESULT CBaseFilter::ForEachConnectedPin(Step step, bool stopAtFailure) {
    HRESULT first = S_OK;
    const int count = PinCount();
    for (int index = 0; index < count; ++index) {
        CBasePin* pin = PinAt(index);
        if (pin == nullptr) break;
        if (!pin->IsConnected()) continue;
        const HRESULT hr = step(pin);
        if (FAILED(hr)) {
            if (stopAtFailure) return hr;
            if (SUCCEEDED(first)) first = hr;
        }
    }
    return first;
}

STDMETHODIMP CBaseFilter::Stop() {
    CLockGuard guard(*FilterLock);
    HRESULT hr = S_OK;
    if (FilterState != State_Stopped) {
        // Every pin is deactivated even after one fails; the filter stops regardless.
        hr = ForEachConnectedPin([](CBasePin* pin) { return pin->Deactivate(); }, false);
    }
    FilterState = State_Stopped;
    return hr;
}

STDMETHODIMP CBaseFilter::Pause() {
    CLockGuard guard(*FilterLock);
    if (FilterState == State_Stopped) {
        const HRESULT hr = ForEachConnectedPin([](CBasePin* pin) { return pin->Activate(); }, true);
        if (FAILED(hr)) return hr;
    }
    FilterState = State_Paused;
    return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME start) {
    CLockGuard guard(*FilterLock);
    StartTime = start;
    if (FilterState == State_Stopped) {
        // Through the interface, so that a derived Pause runs.
        const HRESULT hr = static_cast<IBaseFilter*>(this)->Pause();
        if (FAILED(hr)) return hr;
    }
    if (FilterState != State_Running) {
        const HRESULT hr = ForEachConnectedPin([start](CBasePin* pin) { return pin->StartRunning(start); }, true);
        if (FAILED(hr)) return hr;
    }
    FilterState = State_Running;
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD, FILTER_STATE* state) {
    if (state == nullptr) return E_POINTER;
    *state = FilterState;
    return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* clock) {
    CLockGuard guard(*FilterLock);
    if (clock != nullptr) clock->AddRef();
    IReferenceClock* previous = nullptr;
    {
        CLockGuard clockGuard(clockLock_);
        previous = clock_;
        clock_ = clock;
    }
    if (previous != nullptr) previous->Release();
    return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** clock) {
    if (clock == nullptr) return E_POINTER;
    CLockGuard guard(clockLock_);
    if (clock_ != nullptr) clock_->AddRef();
    *clock = clock_;
    return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** pins) {
    if (pins == nullptr) return E_POINTER;
    *pins = new (std::nothrow) CEnumPins(this);
    return *pins == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* info) {
    if (info == nullptr) return E_POINTER;
    if (name_ != nullptr) {
        lstrcpynW(info->achName, name_, MAX_FILTER_NAME);
    } else {
        info->achName[0] = 0;
    }
    info->pGraph = graph_;
    if (info->pGraph != nullptr) info->pGraph->AddRef();
    return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
    CLockGuard guard(*FilterLock);
    // The graph owns the filter, so neither the graph nor its sink is counted.
    graph_ = graph;
    eventSink_ = nullptr;
    if (graph != nullptr) {
        IMediaEventSink* sink = nullptr;
        if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink))) &&
            sink != nullptr) {
            eventSink_ = sink;
            sink->Release();
        }
    }
    delete[] name_;
    name_ = nullptr;
    if (name == nullptr) return S_OK;
    size_t length = 0;
    while (name[length] != 0) {
        if (++length > kLongestName) return E_INVALIDARG;
    }
    name_ = new (std::nothrow) WCHAR[length + 1];
    if (name_ == nullptr) return E_OUTOFMEMORY;
    for (size_t i = 0; i <= length; ++i) name_[i] = name[i];
    return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

// The module's entry points register its filters; a filter that names no
// setup data has nothing to register, and registering one through the
// filter itself is not offered.
STDMETHODIMP CBaseFilter::Register() { return SetupData() == nullptr ? S_FALSE : E_NOTIMPL; }

STDMETHODIMP CBaseFilter::Unregister() { return SetupData() == nullptr ? S_FALSE : E_NOTIMPL; }

HRESULT CBaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    IMediaEventSink* sink = eventSink_;
    if (sink == nullptr) return E_NOTIMPL;
    // The graph learns which filter completed from the second parameter.
    if (code == EC_COMPLETE) param2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return sink->Notify(code, param1, param2);
}
