#include "tests/framework/stream_test_objects.h"

#include <algorithm>

#include "framework/media_type.h"

std::atomic<int> TestStreamObjects{0};

TestSample::TestSample(TestAllocator* owner, LONG size)
    : owner_(owner), buffer_(static_cast<size_t>(size > 0 ? size : 0)) {
    Reset();
    ++TestStreamObjects;
}

TestSample::~TestSample() { --TestStreamObjects; }

TestSample* TestSample::Create(LONG size) {
    TestSample* sample = new TestSample(nullptr, size);
    sample->references_ = 1;
    return sample;
}

void TestSample::Reset() {
    record_.emplace(nullptr, buffer_.data(), static_cast<LONG>(buffer_.size()));
    // Handed out holding no data yet.
    record_->SetActualDataLength(0);
}

STDMETHODIMP TestSample::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) {
        *object = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    if (riid == IID_IMemAllocator && owner_ != nullptr && owner_->namedBySamples) {
        *object = static_cast<IMemAllocator*>(owner_);
        owner_->AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestSample::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) TestSample::Release() {
    const LONG count = --references_;
    if (count == 0) {
        if (owner_ != nullptr) {
            owner_->Return(this);
        } else {
            delete this;
        }
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP TestSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (FAILED(getTimeFailure)) return getTimeFailure;
    return record_->GetTime(start, stop);
}

TestAllocator::TestAllocator() { ++TestStreamObjects; }

TestAllocator::~TestAllocator() {
    for (TestSample* sample : all_) delete sample;
    --TestStreamObjects;
}

TestAllocator* TestAllocator::Create() { return new TestAllocator(); }

STDMETHODIMP TestAllocator::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMemAllocator) {
        *object = static_cast<IMemAllocator*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestAllocator::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) TestAllocator::Release() {
    const LONG count = --references_;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP TestAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (request == nullptr || actual == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    if (FAILED(setPropertiesResult)) return setPropertiesResult;
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    if (free_.size() != all_.size()) return VFW_E_BUFFERS_OUTSTANDING;
    // The next Commit makes samples of the new size.
    for (TestSample* sample : all_) delete sample;
    all_.clear();
    free_.clear();
    properties_ = *request;
    if (properties_.cbAlign <= 0) properties_.cbAlign = 1;
    if (maxBuffers > 0) properties_.cBuffers = std::min(properties_.cBuffers, maxBuffers);
    if (maxBufferSize > 0) properties_.cbBuffer = std::min(properties_.cbBuffer, maxBufferSize);
    *actual = properties_;
    return S_OK;
}

STDMETHODIMP TestAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
    if (properties == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    *properties = properties_;
    return S_OK;
}

STDMETHODIMP TestAllocator::Commit() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (committed_) return S_OK;
    if (properties_.cBuffers <= 0 || properties_.cbBuffer <= 0) return VFW_E_SIZENOTSET;
    if (all_.empty()) {
        for (LONG i = 0; i < properties_.cBuffers; ++i) {
            TestSample* sample = new TestSample(this, properties_.cbBuffer);
            all_.push_back(sample);
            free_.push_back(sample);
        }
    }
    committed_ = true;
    return S_OK;
}

STDMETHODIMP TestAllocator::Decommit() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        committed_ = false;
        changed_.notify_all();
    }
    if (onDecommit) onDecommit();
    return S_OK;
}

STDMETHODIMP TestAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop,
                                      DWORD flags) {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    ++getBufferCalls;
    lastGetBufferFlags = flags;
    lastGetBufferTimed = start != nullptr && stop != nullptr;
    while (committed_ && free_.empty()) {
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock);
        --waiting_;
    }
    if (!committed_) return VFW_E_NOT_COMMITTED;
    TestSample* taken = free_.back();
    free_.pop_back();
    taken->Reset();
    taken->references_ = 1;
    // Every sample out keeps its allocator alive.
    references_++;
    *sample = taken;
    return S_OK;
}

STDMETHODIMP TestAllocator::ReleaseBuffer(IMediaSample*) { return S_OK; }

void TestAllocator::Return(TestSample* sample) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        free_.push_back(sample);
        changed_.notify_all();
    }
    Release();
}

void TestAllocator::WaitForBlockedCaller() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ > 0; });
}

bool TestAllocator::IsCommitted() {
    std::lock_guard<std::mutex> guard(mutex_);
    return committed_;
}

RecordingGraph::RecordingGraph(bool withGraph2) : withGraph2_(withGraph2) {}

RecordingGraph::~RecordingGraph() { Clear(); }

STDMETHODIMP RecordingGraph::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IFilterGraph || (withGraph2_ && riid == IID_IFilterGraph2)) {
        *object = static_cast<IFilterGraph2*>(this);
    } else if (riid == IID_IMediaEventSink) {
        *object = static_cast<IMediaEventSink*>(this);
    } else {
        return E_NOINTERFACE;
    }
    return S_OK;
}

STDMETHODIMP RecordingGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    if (filter == nullptr) return E_POINTER;
    const HRESULT hr = filter->JoinFilterGraph(this, name);
    if (FAILED(hr)) return hr;
    filter->AddRef();
    filters_.push_back(filter);
    return S_OK;
}

STDMETHODIMP RecordingGraph::RemoveFilter(IBaseFilter* filter) {
    auto found = std::find(filters_.begin(), filters_.end(), filter);
    if (found == filters_.end()) return VFW_E_NOT_FOUND;
    filters_.erase(found);
    filter->JoinFilterGraph(nullptr, nullptr);
    filter->Release();
    return S_OK;
}

STDMETHODIMP RecordingGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
    if (output == nullptr || input == nullptr) return E_POINTER;
    return output->Connect(input, type);
}

STDMETHODIMP RecordingGraph::Reconnect(IPin* pin) {
    ++reconnectCalls;
    return Redo(pin, nullptr);
}

STDMETHODIMP RecordingGraph::ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) {
    ++reconnectExCalls;
    return Redo(pin, type);
}

STDMETHODIMP RecordingGraph::Disconnect(IPin* pin) { return pin == nullptr ? E_POINTER : pin->Disconnect(); }

HRESULT RecordingGraph::Redo(IPin* pin, const AM_MEDIA_TYPE* type) {
    if (pin == nullptr) return E_POINTER;
    reconnected.push_back(pin);
    IPin* peer = nullptr;
    HRESULT hr = pin->ConnectedTo(&peer);
    if (FAILED(hr)) return hr;
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    IPin* const output = direction == PINDIR_OUTPUT ? pin : peer;
    IPin* const input = direction == PINDIR_OUTPUT ? peer : pin;
    // A copy: the type may belong to one of the pins being disconnected.
    COwnedMediaType copy;
    if (type != nullptr && FAILED(copy.Assign(*type))) {
        peer->Release();
        return E_OUTOFMEMORY;
    }
    hr = output->Disconnect();
    if (SUCCEEDED(hr)) hr = input->Disconnect();
    if (SUCCEEDED(hr)) hr = output->Connect(input, type != nullptr ? &copy : nullptr);
    peer->Release();
    return hr;
}

STDMETHODIMP RecordingGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard<std::mutex> guard(eventsMutex_);
    events.push_back({code, param1, param2});
    return S_OK;
}

int RecordingGraph::CountEvents(LONG code) {
    std::lock_guard<std::mutex> guard(eventsMutex_);
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [code](const RecordedEvent& event) { return event.code == code; }));
}

void RecordingGraph::Clear() {
    for (IBaseFilter* filter : filters_) filter->Stop();
    for (IBaseFilter* filter : filters_) {
        IEnumPins* pins = nullptr;
        if (FAILED(filter->EnumPins(&pins))) continue;
        IPin* pin = nullptr;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            pin->Disconnect();
            pin->Release();
        }
        pins->Release();
    }
    for (IBaseFilter* filter : filters_) {
        filter->JoinFilterGraph(nullptr, nullptr);
        filter->Release();
    }
    filters_.clear();
}
