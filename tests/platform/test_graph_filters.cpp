#include "test_graph_filters.h"

#include <algorithm>

#include "tests/support/wide_text.h"

namespace {

std::atomic<LONG> liveFilters{0};

std::string Subtype(const AM_MEDIA_TYPE* type) {
    if (type == nullptr) return "none";
    if (type->subtype == MEDIASUBTYPE_RGB32) return "RGB32";
    if (type->subtype == MEDIASUBTYPE_YUY2) return "YUY2";
    return "other";
}

class TestPinEnumerator : public IEnumPins {
public:
    TestPinEnumerator(std::vector<IPin*> pins, IBaseFilter* filter) : pins_(std::move(pins)), filter_(filter) {
        filter_->AddRef();
    }
    virtual ~TestPinEnumerator() { filter_->Release(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IEnumPins) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG count = --references_;
        if (count == 0) delete this;
        return count;
    }
    STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
        ULONG given = 0;
        while (given < count && position_ < pins_.size()) {
            pins[given] = pins_[position_++];
            pins[given++]->AddRef();
        }
        if (fetched != nullptr) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        position_ = std::min(pins_.size(), position_ + count);
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumPins**) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> references_{1};
    const std::vector<IPin*> pins_;
    IBaseFilter* const filter_;
    size_t position_ = 0;
};

}  // namespace

LONG LiveTestFilters() { return liveFilters.load(); }

TestPin::TestPin(TestFilter* filter, const char* pinName, PIN_DIRECTION direction)
    : name(pinName), filter_(filter), direction_(direction) {}

TestPin::~TestPin() {
    if (peer_ != nullptr) peer_->Release();
}

STDMETHODIMP TestPin::QueryInterface(REFIID riid, void** object) {
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPin) {
        *object = static_cast<IPin*>(this);
        AddRef();
        return S_OK;
    }
    if (seeking != nullptr && (riid == IID_IMediaSeeking || riid == IID_IMediaPosition)) {
        return seeking->QueryInterface(riid, object);
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestPin::AddRef() { return filter_->AddRef(); }

STDMETHODIMP_(ULONG) TestPin::Release() { return filter_->Release(); }

STDMETHODIMP TestPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) {
    if (peer_ != nullptr) return VFW_E_ALREADY_CONNECTED;
    const HRESULT hr = receivePin->ReceiveConnection(this, type);
    if (FAILED(hr)) return hr;
    peer_ = receivePin;
    peer_->AddRef();
    subtype = type != nullptr ? type->subtype : GUID_NULL;
    filter_->Log("Connect " + filter_->name + "." + name + " " + Subtype(type));
    return S_OK;
}

STDMETHODIMP TestPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
    if (peer_ != nullptr) return VFW_E_ALREADY_CONNECTED;
    if (type != nullptr && std::find(refused.begin(), refused.end(), type->subtype) != refused.end()) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    peer_ = connector;
    peer_->AddRef();
    subtype = type != nullptr ? type->subtype : GUID_NULL;
    return S_OK;
}

STDMETHODIMP TestPin::Disconnect() {
    if (peer_ == nullptr) return S_FALSE;
    peer_->Release();
    peer_ = nullptr;
    filter_->Log("Disconnect " + filter_->name + "." + name);
    return S_OK;
}

STDMETHODIMP TestPin::ConnectedTo(IPin** pin) {
    *pin = peer_;
    if (peer_ == nullptr) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
}

STDMETHODIMP TestPin::ConnectionMediaType(AM_MEDIA_TYPE* type) {
    if (peer_ == nullptr) return VFW_E_NOT_CONNECTED;
    memset(type, 0, sizeof(*type));
    type->subtype = subtype;
    return S_OK;
}

STDMETHODIMP TestPin::QueryPinInfo(PIN_INFO* info) {
    info->pFilter = filter_;
    filter_->AddRef();
    info->dir = direction_;
    const std::vector<WCHAR> wide = Widen(name);
    lstrcpynW(info->achName, wide.data(), MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP TestPin::QueryDirection(PIN_DIRECTION* direction) {
    *direction = direction_;
    return S_OK;
}

STDMETHODIMP TestPin::QueryId(LPWSTR* id) {
    *id = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestPin::EnumMediaTypes(IEnumMediaTypes** types) {
    *types = nullptr;
    return E_NOTIMPL;
}

TestFilter::TestFilter(const char* filterName, int inputs, int outputs, CallLog* log) : name(filterName), log_(log) {
    ++liveFilters;
    for (int i = 0; i < inputs; ++i) {
        inputs_.push_back(std::make_unique<TestPin>(this, ("In" + std::to_string(i)).c_str(), PINDIR_INPUT));
    }
    for (int i = 0; i < outputs; ++i) {
        outputs_.push_back(std::make_unique<TestPin>(this, ("Out" + std::to_string(i)).c_str(), PINDIR_OUTPUT));
    }
}

TestFilter::~TestFilter() { --liveFilters; }

STDMETHODIMP TestFilter::QueryInterface(REFIID riid, void** object) {
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IBaseFilter && riid != IID_IMediaFilter && riid != IID_IPersist) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IBaseFilter*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TestFilter::Release() {
    const ULONG count = --references;
    if (count == 0) delete this;
    return count;
}

void TestFilter::Log(const std::string& entry) {
    if (log_ != nullptr) log_->push_back(entry);
}

STDMETHODIMP TestFilter::GetClassID(CLSID* clsid) {
    *clsid = GUID_NULL;
    return S_OK;
}

STDMETHODIMP TestFilter::Stop() {
    Log(name + " Stop");
    state = State_Stopped;
    return S_OK;
}

STDMETHODIMP TestFilter::Pause() {
    Log(name + " Pause");
    if (FAILED(pauseResult)) return pauseResult;
    state = State_Paused;
    return pauseResult;
}

STDMETHODIMP TestFilter::Run(REFERENCE_TIME start) {
    Log(name + " Run");
    if (FAILED(runResult)) return runResult;
    runStart = start;
    state = State_Running;
    return runResult;
}

STDMETHODIMP TestFilter::GetState(DWORD, FILTER_STATE* current) {
    *current = state;
    return S_OK;
}

STDMETHODIMP TestFilter::GetSyncSource(IReferenceClock** clock) {
    *clock = nullptr;
    return S_OK;
}

STDMETHODIMP TestFilter::EnumPins(IEnumPins** pins) {
    std::vector<IPin*> all;
    for (auto& pin : inputs_) all.push_back(pin.get());
    for (auto& pin : outputs_) all.push_back(pin.get());
    *pins = new TestPinEnumerator(all, this);
    return S_OK;
}

STDMETHODIMP TestFilter::FindPin(LPCWSTR, IPin** pin) {
    *pin = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestFilter::QueryFilterInfo(FILTER_INFO* info) {
    const std::vector<WCHAR> wide = Widen(joinedName);
    lstrcpynW(info->achName, wide.data(), MAX_FILTER_NAME);
    info->pGraph = graph;
    if (graph != nullptr) graph->AddRef();
    return S_OK;
}

STDMETHODIMP TestFilter::JoinFilterGraph(IFilterGraph* newGraph, LPCWSTR newName) {
    if (FAILED(joinResult)) return joinResult;
    graph = newGraph;
    joinedName = newName != nullptr ? Narrow(newName) : std::string();
    Log(name + (newGraph != nullptr ? " Join " + joinedName : " Leave"));
    return S_OK;
}

STDMETHODIMP TestFilter::QueryVendorInfo(LPWSTR* info) {
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestSeeking::QueryInterface(REFIID riid, void** object) {
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IMediaSeeking) {
        *object = static_cast<IMediaSeeking*>(this);
    } else if (riid == IID_IMediaPosition) {
        *object = static_cast<IMediaPosition*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP TestSeeking::GetCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetDuration;
    return S_OK;
}

STDMETHODIMP TestSeeking::IsFormatSupported(const GUID* format) {
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

STDMETHODIMP TestSeeking::GetDuration(LONGLONG* duration) {
    *duration = 12345;
    return S_OK;
}

STDMETHODIMP TestSeeking::SetPositions(LONGLONG* newCurrent, DWORD newCurrentFlags, LONGLONG* newStop,
                                       DWORD newStopFlags) {
    current = *newCurrent;
    currentFlags = newCurrentFlags;
    stop = *newStop;
    stopFlags = newStopFlags;
    return S_OK;
}

STDMETHODIMP TestSeeking::SetRate(double newRate) {
    rate = newRate;
    return newRate > 0 ? S_OK : E_INVALIDARG;
}

STDMETHODIMP TestSeeking::get_Duration(REFTIME* length) {
    *length = 1.5;
    return S_OK;
}

STDMETHODIMP TestSeeking::put_CurrentPosition(REFTIME time) {
    position = time;
    return S_OK;
}
