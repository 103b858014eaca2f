// The small filter graph of platform_graph.h.
#include "filter_graph.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <vector>

#include "filter_enumerator.h"
#include "live_object.h"
#include "platform_graph.h"
#include "task_media_type.h"

namespace {

// Numbers appended to make a filter name unique: " 0001" and up.
const int kLastNameNumber = 9999;

// Copies text into name (MAX_FILTER_NAME characters with the terminator),
// leaving room for the number when one (above 0) is appended after a space.
void ComposeName(LPCWSTR text, int number, WCHAR* name) {
    const int digits = 4;
    const int room = MAX_FILTER_NAME - 1 - (number > 0 ? digits + 1 : 0);
    int length = 0;
    if (text != nullptr) {
        while (length < room && text[length] != 0) {
            name[length] = text[length];
            ++length;
        }
    }
    if (number > 0) {
        if (length > 0) name[length++] = L' ';
        for (int place = 1000; place > 0; place /= 10) name[length++] = static_cast<WCHAR>(L'0' + number / place % 10);
    }
    name[length] = 0;
}

// The filter owning pin, with one reference, or null.
IBaseFilter* OwnerOf(IPin* pin) {
    PIN_INFO info;
    info.pFilter = nullptr;
    if (FAILED(pin->QueryPinInfo(&info))) return nullptr;
    return info.pFilter;
}

class PlatformFilterGraph final : public IPlatformFilterGraph, public IMediaEventSink, public IMediaControl {
public:
    PlatformFilterGraph() = default;
    PlatformFilterGraph(const PlatformFilterGraph&) = delete;
    PlatformFilterGraph& operator=(const PlatformFilterGraph&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IFilterGraph || riid == IID_IGraphBuilder ||
            riid == IID_IFilterGraph2) {
            *object = static_cast<IFilterGraph2*>(this);
        } else if (riid == IID_IMediaEventSink) {
            *object = static_cast<IMediaEventSink*>(this);
        } else if (riid == IID_IMediaControl || riid == IID_IDispatch) {
            *object = static_cast<IMediaControl*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG count = --references_;
        if (count == 0) {
            // Filters may still call back while they are taken out; the extra
            // reference keeps those calls from destroying the graph twice.
            references_ = 1;
            Shut();
            delete this;
        }
        return count;
    }

    // IFilterGraph
    STDMETHODIMP AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    STDMETHODIMP RemoveFilter(IBaseFilter* filter) override;
    STDMETHODIMP EnumFilters(IEnumFilters** filters) override;
    STDMETHODIMP FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    STDMETHODIMP ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Reconnect(IPin* pin) override { return ReconnectEx(pin, nullptr); }
    STDMETHODIMP Disconnect(IPin* pin) override {
        if (pin == nullptr) return E_POINTER;
        std::lock_guard<std::recursive_mutex> guard(control_);
        return pin->Disconnect();
    }
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; }

    // IGraphBuilder: only direct connections.
    STDMETHODIMP Connect(IPin* output, IPin* input) override { return ConnectDirect(output, input, nullptr); }
    STDMETHODIMP Render(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter** filter) override {
        if (filter != nullptr) *filter = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP Abort() override { return E_NOTIMPL; }
    STDMETHODIMP ShouldOperationContinue() override { return E_NOTIMPL; }

    // IFilterGraph2
    STDMETHODIMP AddSourceFilterForMoniker(IMoniker*, IBindCtx*, LPCWSTR, IBaseFilter** filter) override {
        if (filter != nullptr) *filter = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP RenderEx(IPin*, DWORD, DWORD*) override { return E_NOTIMPL; }

    // IPlatformFilterGraph and IMediaControl
    STDMETHODIMP Pause() override;
    STDMETHODIMP Run() override;
    STDMETHODIMP Stop() override;
    FILTER_STATE GraphState() override {
        std::lock_guard<std::recursive_mutex> guard(control_);
        return state_;
    }
    std::vector<PlatformGraphEvent> Events() override {
        std::lock_guard<std::mutex> guard(eventMutex_);
        return events_;
    }
    void ClearEvents() override {
        std::lock_guard<std::mutex> guard(eventMutex_);
        events_.clear();
    }
    HRESULT WaitForEvent(LONG code, DWORD milliseconds, PlatformGraphEvent* event) override;

    // IMediaEventSink: every event is recorded as it comes, none is acted on.
    STDMETHODIMP Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override {
        std::lock_guard<std::mutex> guard(eventMutex_);
        try {
            events_.push_back(PlatformGraphEvent{code, param1, param2});
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        eventRecorded_.notify_all();
        return S_OK;
    }

    // IMediaControl, besides the state changes. Natively there is no type
    // library, so nothing is reachable by dispatch.
    STDMETHODIMP GetState(LONG milliseconds, OAFilterState* state) override;
    STDMETHODIMP RenderFile(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(BSTR, IDispatch** filter) override {
        if (filter != nullptr) *filter = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_FilterCollection(IDispatch** collection) override {
        if (collection != nullptr) *collection = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP get_RegFilterCollection(IDispatch** collection) override {
        if (collection != nullptr) *collection = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP StopWhenReady() override { return E_NOTIMPL; }
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

private:
    struct Member {
        IBaseFilter* filter;  // one reference
        WCHAR name[MAX_FILTER_NAME];
    };

    // The control lock is held by the callers of these.
    Member* Find(IBaseFilter* filter);
    Member* FindName(LPCWSTR name);
    bool Contains(IPin* pin);
    // Breaks both ends of every connection of the filter.
    void DisconnectPins(IBaseFilter* filter);
    // The filters, each with one reference, downstream ones first.
    std::vector<IBaseFilter*> DownstreamFirst();
    // Calls change on every filter in DownstreamFirst order; the first
    // failure, else S_FALSE when any filter answered it, else S_OK.
    template <class Change>
    HRESULT ChangeEvery(Change change);
    // Stops the graph and takes every filter out.
    void Shut();

    std::atomic<ULONG> references_{0};
    // Held by every graph-manager operation; re-entrant, because filters
    // call back into the graph (a reconnection during a connection).
    std::recursive_mutex control_;
    std::vector<Member> members_;
    FILTER_STATE state_ = State_Stopped;

    std::mutex eventMutex_;
    std::condition_variable eventRecorded_;
    std::vector<PlatformGraphEvent> events_;
    PlatformLiveObject live_;
};

PlatformFilterGraph::Member* PlatformFilterGraph::Find(IBaseFilter* filter) {
    for (Member& member : members_) {
        if (member.filter == filter) return &member;
    }
    return nullptr;
}

PlatformFilterGraph::Member* PlatformFilterGraph::FindName(LPCWSTR name) {
    for (Member& member : members_) {
        if (lstrcmpW(member.name, name) == 0) return &member;
    }
    return nullptr;
}

bool PlatformFilterGraph::Contains(IPin* pin) {
    IBaseFilter* owner = OwnerOf(pin);
    if (owner == nullptr) return false;
    const bool found = Find(owner) != nullptr;
    owner->Release();
    return found;
}

STDMETHODIMP PlatformFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    if (filter == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (Find(filter) != nullptr) return E_INVALIDARG;
    Member member;
    member.filter = filter;
    HRESULT result = S_OK;
    ComposeName(name, 0, member.name);
    if (name == nullptr || FindName(member.name) != nullptr) {
        // A filter without a name gets a number; a taken name gets one appended.
        if (name != nullptr) result = VFW_S_DUPLICATE_NAME;
        WCHAR base[MAX_FILTER_NAME];
        memcpy(base, member.name, sizeof(base));
        int number = 1;
        do {
            if (number > kLastNameNumber) return VFW_E_DUPLICATE_NAME;
            ComposeName(base, number++, member.name);
        } while (FindName(member.name) != nullptr);
    }
    try {
        members_.reserve(members_.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = filter->JoinFilterGraph(this, member.name);
    if (FAILED(hr)) return hr;
    filter->AddRef();
    members_.push_back(member);
    return result;
}

void PlatformFilterGraph::DisconnectPins(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (FAILED(filter->EnumPins(&pins)) || pins == nullptr) return;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        IPin* peer = nullptr;
        if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer != nullptr) {
            peer->Disconnect();
            pin->Disconnect();
            peer->Release();
        }
        pin->Release();
    }
    pins->Release();
}

STDMETHODIMP PlatformFilterGraph::RemoveFilter(IBaseFilter* filter) {
    if (filter == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    for (auto it = members_.begin(); it != members_.end(); ++it) {
        if (it->filter != filter) continue;
        members_.erase(it);
        if (state_ != State_Stopped) filter->Stop();
        DisconnectPins(filter);
        filter->JoinFilterGraph(nullptr, nullptr);
        filter->Release();
        return S_OK;
    }
    return VFW_E_NOT_FOUND;
}

STDMETHODIMP PlatformFilterGraph::EnumFilters(IEnumFilters** filters) {
    if (filters == nullptr) return E_POINTER;
    *filters = nullptr;
    std::lock_guard<std::recursive_mutex> guard(control_);
    std::vector<IBaseFilter*> list;
    try {
        for (const Member& member : members_) list.push_back(member.filter);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return CreateFilterEnumerator(list, filters);
}

STDMETHODIMP PlatformFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter) {
    if (filter == nullptr) return E_POINTER;
    *filter = nullptr;
    if (name == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    Member* member = FindName(name);
    if (member == nullptr) return VFW_E_NOT_FOUND;
    member->filter->AddRef();
    *filter = member->filter;
    return S_OK;
}

STDMETHODIMP PlatformFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
    if (output == nullptr || input == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (!Contains(output) || !Contains(input)) return VFW_E_NOT_IN_GRAPH;
    PIN_DIRECTION outputDirection;
    PIN_DIRECTION inputDirection;
    if (FAILED(output->QueryDirection(&outputDirection)) || FAILED(input->QueryDirection(&inputDirection)) ||
        outputDirection != PINDIR_OUTPUT || inputDirection != PINDIR_INPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    return output->Connect(input, type);
}

STDMETHODIMP PlatformFilterGraph::ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) {
    if (pin == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    IPin* peer = nullptr;
    if (FAILED(pin->ConnectedTo(&peer)) || peer == nullptr) return VFW_E_NOT_CONNECTED;
    PIN_DIRECTION direction;
    HRESULT hr = pin->QueryDirection(&direction);
    // The type may be one of the two pins' own, which disconnecting clears.
    AM_MEDIA_TYPE* kept = nullptr;
    if (SUCCEEDED(hr) && type != nullptr) hr = CopyToTaskMediaType(*type, &kept);
    if (SUCCEEDED(hr)) hr = pin->Disconnect();
    if (SUCCEEDED(hr)) hr = peer->Disconnect();
    if (SUCCEEDED(hr)) {
        IPin* output = direction == PINDIR_OUTPUT ? pin : peer;
        IPin* input = direction == PINDIR_OUTPUT ? peer : pin;
        hr = output->Connect(input, kept);
    }
    FreeTaskMediaType(kept);
    peer->Release();
    return hr;
}

std::vector<IBaseFilter*> PlatformFilterGraph::DownstreamFirst() {
    const size_t count = members_.size();
    // feeds[i][j]: filter i has an output pin connected to filter j.
    std::vector<std::vector<bool>> feeds(count, std::vector<bool>(count, false));
    for (size_t i = 0; i < count; ++i) {
        IEnumPins* pins = nullptr;
        if (FAILED(members_[i].filter->EnumPins(&pins)) || pins == nullptr) continue;
        IPin* pin = nullptr;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            PIN_DIRECTION direction;
            IPin* peer = nullptr;
            if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT &&
                SUCCEEDED(pin->ConnectedTo(&peer)) && peer != nullptr) {
                IBaseFilter* downstream = OwnerOf(peer);
                for (size_t j = 0; j < count; ++j) {
                    if (members_[j].filter == downstream && j != i) feeds[i][j] = true;
                }
                if (downstream != nullptr) downstream->Release();
                peer->Release();
            }
            pin->Release();
        }
        pins->Release();
    }
    std::vector<IBaseFilter*> order;
    std::vector<bool> placed(count, false);
    while (order.size() < count) {
        // The first filter whose downstream filters are all placed; in a
        // cycle, the first one not placed.
        size_t next = count;
        size_t firstOpen = count;
        for (size_t i = 0; i < count && next == count; ++i) {
            if (placed[i]) continue;
            if (firstOpen == count) firstOpen = i;
            bool ready = true;
            for (size_t j = 0; j < count; ++j) {
                if (feeds[i][j] && !placed[j]) ready = false;
            }
            if (ready) next = i;
        }
        if (next == count) next = firstOpen;
        placed[next] = true;
        members_[next].filter->AddRef();
        order.push_back(members_[next].filter);
    }
    return order;
}

template <class Change>
HRESULT PlatformFilterGraph::ChangeEvery(Change change) {
    std::vector<IBaseFilter*> order;
    try {
        order = DownstreamFirst();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = S_OK;
    for (IBaseFilter* filter : order) {
        const HRESULT hr = change(filter);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        if (hr != S_OK && result == S_OK) result = hr;
        filter->Release();
    }
    return result;
}

STDMETHODIMP PlatformFilterGraph::Pause() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    const HRESULT hr = ChangeEvery([](IBaseFilter* filter) { return filter->Pause(); });
    if (FAILED(hr)) {
        Stop();
        return hr;
    }
    state_ = State_Paused;
    return hr;
}

STDMETHODIMP PlatformFilterGraph::Run() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    HRESULT paused = S_OK;
    if (state_ == State_Stopped) {
        paused = Pause();
        if (FAILED(paused)) return paused;
    }
    const HRESULT hr = ChangeEvery([](IBaseFilter* filter) { return filter->Run(0); });
    if (FAILED(hr)) {
        Stop();
        return hr;
    }
    state_ = State_Running;
    return hr == S_OK ? paused : hr;
}

STDMETHODIMP PlatformFilterGraph::Stop() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    const HRESULT hr = ChangeEvery([](IBaseFilter* filter) { return filter->Stop(); });
    state_ = State_Stopped;
    return hr;
}

STDMETHODIMP PlatformFilterGraph::GetState(LONG milliseconds, OAFilterState* state) {
    if (state == nullptr) return E_POINTER;
    std::lock_guard<std::recursive_mutex> guard(control_);
    *state = state_;
    const DWORD wait = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
    HRESULT result = S_OK;
    for (const Member& member : members_) {
        FILTER_STATE filterState;
        const HRESULT hr = member.filter->GetState(wait, &filterState);
        if (FAILED(hr)) return hr;
        if (hr != S_OK) result = hr;
    }
    return result;
}

HRESULT PlatformFilterGraph::WaitForEvent(LONG code, DWORD milliseconds, PlatformGraphEvent* event) {
    std::unique_lock<std::mutex> lock(eventMutex_);
    const PlatformGraphEvent* found = nullptr;
    const auto recorded = [&]() {
        for (const PlatformGraphEvent& candidate : events_) {
            if (candidate.code == code) {
                found = &candidate;
                return true;
            }
        }
        return false;
    };
    if (milliseconds == INFINITE) {
        eventRecorded_.wait(lock, recorded);
    } else if (!eventRecorded_.wait_for(lock, std::chrono::milliseconds(milliseconds), recorded)) {
        return VFW_E_TIMEOUT;
    }
    if (event != nullptr) *event = *found;
    return S_OK;
}

void PlatformFilterGraph::Shut() {
    std::lock_guard<std::recursive_mutex> guard(control_);
    if (state_ != State_Stopped) Stop();
    // Connections first, so no filter is left holding a removed one's pins.
    for (const Member& member : members_) DisconnectPins(member.filter);
    while (!members_.empty()) RemoveFilter(members_.back().filter);
}

PlatformFilterGraph* MakeGraph() { return new (std::nothrow) PlatformFilterGraph(); }

}  // namespace

HRESULT PlatformCreateFilterGraph(IPlatformFilterGraph** graph) {
    if (graph == nullptr) return E_POINTER;
    *graph = MakeGraph();
    if (*graph == nullptr) return E_OUTOFMEMORY;
    (*graph)->AddRef();
    return S_OK;
}

HRESULT CreateFilterGraph(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    PlatformFilterGraph* graph = MakeGraph();
    if (graph == nullptr) return E_OUTOFMEMORY;
    graph->AddRef();
    const HRESULT result = graph->QueryInterface(riid, object);
    graph->Release();
    return result;
}
