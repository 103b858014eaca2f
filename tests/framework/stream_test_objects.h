// Samples, an allocator and a small recording graph of the streaming tests'
// own: every call observable, every answer choosable.
#ifndef DRAVIK_TESTS_FRAMEWORK_STREAM_TEST_OBJECTS_H
#define DRAVIK_TESTS_FRAMEWORK_STREAM_TEST_OBJECTS_H

#include <dshow.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/src/media_sample.h"

// Live test samples and allocators; every test must bring it back to 0.
extern std::atomic<int> TestStreamObjects;

class TestAllocator;

// A plain IMediaSample (no IMediaSample2) over a buffer of its own; what it
// records is kept by a platform media sample behind it. A sample of an
// allocator goes back to it on its last release; a free sample is deleted.
class TestSample final : public IMediaSample {
public:
    // A free sample with one reference, owned by the caller.
    static TestSample* Create(LONG size);

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Answers getTimeFailure while that is a failure.
    STDMETHODIMP GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;

    STDMETHODIMP GetPointer(BYTE** buffer) override { return record_->GetPointer(buffer); }
    STDMETHODIMP_(LONG) GetSize() override { return record_->GetSize(); }
    STDMETHODIMP SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override { return record_->SetTime(start, stop); }
    STDMETHODIMP IsSyncPoint() override { return record_->IsSyncPoint(); }
    STDMETHODIMP SetSyncPoint(BOOL value) override { return record_->SetSyncPoint(value); }
    STDMETHODIMP IsPreroll() override { return record_->IsPreroll(); }
    STDMETHODIMP SetPreroll(BOOL value) override { return record_->SetPreroll(value); }
    STDMETHODIMP_(LONG) GetActualDataLength() override { return record_->GetActualDataLength(); }
    STDMETHODIMP SetActualDataLength(LONG length) override { return record_->SetActualDataLength(length); }
    STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override { return record_->GetMediaType(type); }
    STDMETHODIMP SetMediaType(AM_MEDIA_TYPE* type) override { return record_->SetMediaType(type); }
    STDMETHODIMP IsDiscontinuity() override { return record_->IsDiscontinuity(); }
    STDMETHODIMP SetDiscontinuity(BOOL value) override { return record_->SetDiscontinuity(value); }
    STDMETHODIMP GetMediaTime(LONGLONG* start, LONGLONG* stop) override { return record_->GetMediaTime(start, stop); }
    STDMETHODIMP SetMediaTime(LONGLONG* start, LONGLONG* stop) override { return record_->SetMediaTime(start, stop); }

    // Clears everything but the buffer, as an allocator hands a sample out.
    void Reset();
    LONG References() const { return references_; }

    HRESULT getTimeFailure = S_OK;

private:
    TestSample(TestAllocator* owner, LONG size);
    ~TestSample();
    friend class TestAllocator;

    TestAllocator* const owner_;
    std::atomic<LONG> references_{0};
    std::vector<BYTE> buffer_;
    // Its own COM identity is never handed out, so it never calls back an allocator.
    std::optional<PlatformMediaSample> record_;
};

// A fixed pool of TestSamples: GetBuffer blocks while every sample is out and
// fails once decommitted, waking whoever waits.
class TestAllocator final : public IMemAllocator {
public:
    // One reference, owned by the caller.
    static TestAllocator* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

    // Blocks until a GetBuffer call is waiting for a free sample.
    void WaitForBlockedCaller();
    bool IsCommitted();
    LONG References() const { return references_; }

    // Caps on what SetProperties grants; 0: no cap.
    LONG maxBuffers = 0;
    LONG maxBufferSize = 0;
    HRESULT setPropertiesResult = S_OK;
    // Its samples answer IID_IMemAllocator with it.
    bool namedBySamples = false;
    // Called at every Decommit, on the thread that decommits.
    std::function<void()> onDecommit;
    int getBufferCalls = 0;
    DWORD lastGetBufferFlags = 0;
    bool lastGetBufferTimed = false;

private:
    TestAllocator();
    ~TestAllocator();
    friend class TestSample;
    void Return(TestSample* sample);

    std::atomic<LONG> references_{1};
    std::mutex mutex_;
    std::condition_variable changed_;
    ALLOCATOR_PROPERTIES properties_{};
    bool committed_ = false;
    int waiting_ = 0;
    std::vector<TestSample*> all_;
    std::vector<TestSample*> free_;
};

struct RecordedEvent {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
};

// The graph manager's part in connections, reconnections and events, as far as
// the framework asks for it. Lives on the stack; filters hold no reference on it.
class RecordingGraph : public IFilterGraph2, public IMediaEventSink {
public:
    // withGraph2: answers IFilterGraph2, so reconnections come through ReconnectEx.
    explicit RecordingGraph(bool withGraph2 = true);
    ~RecordingGraph();

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    // IFilterGraph
    STDMETHODIMP AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    STDMETHODIMP RemoveFilter(IBaseFilter* filter) override;
    STDMETHODIMP EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
    STDMETHODIMP FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP Reconnect(IPin* pin) override;
    STDMETHODIMP Disconnect(IPin* pin) override;
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; }
    // IGraphBuilder
    STDMETHODIMP Connect(IPin*, IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP Render(IPin*) override { return E_NOTIMPL; }
    STDMETHODIMP RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP Abort() override { return E_NOTIMPL; }
    STDMETHODIMP ShouldOperationContinue() override { return E_NOTIMPL; }
    // IFilterGraph2
    STDMETHODIMP AddSourceFilterForMoniker(IMoniker*, IBindCtx*, LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
    STDMETHODIMP ReconnectEx(IPin* pin, const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP RenderEx(IPin*, DWORD, DWORD*) override { return E_NOTIMPL; }
    // IMediaEventSink
    STDMETHODIMP Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // Disconnects every pin of every filter and lets the filters go.
    void Clear();
    int CountEvents(LONG code);

    int reconnectCalls = 0;
    int reconnectExCalls = 0;
    std::vector<IPin*> reconnected;
    std::vector<RecordedEvent> events;

private:
    // Disconnects the pin and its peer and connects them again, output first.
    HRESULT Redo(IPin* pin, const AM_MEDIA_TYPE* type);

    const bool withGraph2_;
    std::mutex eventsMutex_;
    std::vector<IBaseFilter*> filters_;
};

#endif
