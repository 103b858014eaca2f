// A source, a sink and an in-place transform of the streaming tests' own, built
// on the framework's pins, with every answer choosable and every call recorded.
#ifndef DRAVIK_TESTS_FRAMEWORK_STREAM_TEST_FILTERS_H
#define DRAVIK_TESTS_FRAMEWORK_STREAM_TEST_FILTERS_H

#include <dshow.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "framework/base_filter.h"
#include "framework/base_input_pin.h"
#include "framework/base_output_pin.h"
#include "framework/trans_in_place_filter.h"
#include "tests/framework/stream_test_objects.h"

// The video type every test stream starts with: RGB32, 16 x 8, VIDEOINFOHEADER.
void FillVideoType(COwnedMediaType* type, LONG width = 16);

// What a sent sample carries.
struct OutgoingSample {
    BYTE fill = 0x5A;
    LONG length = 64;
    bool timed = true;
    REFERENCE_TIME start = 1000;
    REFERENCE_TIME stop = 2000;
    bool mediaTimed = false;
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    bool sync = false;
    bool preroll = false;
    bool discontinuity = false;
    const AM_MEDIA_TYPE* type = nullptr;
    // Other than AM_STREAM_MEDIA: set through IMediaSample2.
    DWORD streamId = AM_STREAM_MEDIA;
};

// What a sink saw of one sample.
struct SeenSample {
    IMediaSample* identity = nullptr;
    std::vector<BYTE> data;
    HRESULT timeResult = E_FAIL;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    HRESULT mediaTimeResult = E_FAIL;
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    bool sync = false;
    bool preroll = false;
    bool discontinuity = false;
    bool typed = false;
    GUID subtype{};
};

class TestSource;

class TestSourcePin : public CBaseOutputPin {
public:
    TestSourcePin(TestSource* filter, CLock* lock);

    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;
    HRESULT ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) override;
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT CreateDefaultAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;

    // Fills a sample of the connection's allocator and delivers it.
    HRESULT Send(const OutgoingSample& outgoing);

    // Set: insists on this allocator and announces it with readOnly.
    IMemAllocator* ownAllocator = nullptr;
    BOOL readOnly = FALSE;
    // Set: the "new" allocator of the second choice.
    IMemAllocator* defaultAllocator = nullptr;
    // The last sample handed to DeliverSample, for identity checks only.
    IMediaSample* lastSent = nullptr;
    LONG buffers = 2;
    LONG bufferSize = 256;
    ALLOCATOR_PROPERTIES lastRequest{};
    std::vector<Quality> qualityMessages;
};

class TestSource : public CBaseFilter {
public:
    static TestSource* Create();
    int PinCount() override { return 1; }
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    TestSourcePin* Pin() { return &pin_; }
    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }

private:
    TestSource();
    CLock lock_;
    TestSourcePin pin_;
};

class TestSink;

class TestSinkPin : public CBaseInputPin {
public:
    TestSinkPin(TestSink* filter, CLock* lock);
    ~TestSinkPin() override;

    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT Activate() override;
    HRESULT Deactivate() override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveCanBlock() override;

    // Blocks until a Receive is waiting inside this pin.
    void WaitForBlockedReceive();
    std::vector<SeenSample> Seen();
    int EndOfStreamCount();
    // Drops the samples kept so far.
    void DropKept();

    // Set before connecting: handed out by GetAllocator.
    IMemAllocator* offeredAllocator = nullptr;
    HRESULT getAllocatorResult = S_OK;
    // NotifyAllocator refuses this one.
    IMemAllocator* refusedAllocator = nullptr;
    bool hasRequirements = false;
    ALLOCATOR_PROPERTIES requirements{};
    HRESULT canBlockAnswer = S_OK;
    // Answers of the accepted samples, one per sample; S_OK once they run out.
    std::vector<HRESULT> receiveAnswers;
    // Each received sample is kept (one reference) until DropKept.
    bool keepSamples = false;
    // Receive waits until flushing or deactivated.
    bool blockInReceive = false;
    GUID refusedSubtype{};
    std::vector<IMemAllocator*> notified;
    std::vector<BOOL> notifiedReadOnly;
    int beginFlushCount = 0;
    int endFlushCount = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;
    int blocked_ = 0;
    int endOfStreams_ = 0;
    std::vector<SeenSample> seen_;
    std::vector<IMediaSample*> kept_;
};

class TestSink : public CBaseFilter {
public:
    static TestSink* Create();
    int PinCount() override { return 1; }
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
    TestSinkPin* Pin() { return &pin_; }
    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }

private:
    TestSink();
    CLock lock_;
    TestSinkPin pin_;
};

class TestInPlace : public CTransInPlaceFilter {
public:
    static TestInPlace* Create(bool modifiesData);

    // Video only.
    HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) override;
    HRESULT ProposeOutputType(int position, AM_MEDIA_TYPE* type) override;
    HRESULT TransformInPlace(IMediaSample* sample) override;
    HRESULT OnStreamingStart() override;
    HRESULT OnStreamingStop() override;
    HRESULT OnEndFlush() override;
    HRESULT OnQualityMessage(const Quality& quality) override;

    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }
    IPin* In() { return static_cast<IPin*>(PinAt(0)); }
    IPin* Out() { return static_cast<IPin*>(PinAt(1)); }
    FILTER_STATE State() const { return FilterState; }

    // Answers of TransformInPlace, one per call; S_OK once they run out.
    std::vector<HRESULT> transformResults;
    std::vector<IMediaSample*> transformed;
    HRESULT streamingStartResult = S_OK;
    HRESULT streamingStopResult = S_OK;
    HRESULT endFlushFailure = S_OK;
    HRESULT qualityResult = S_FALSE;
    int streamingStarts = 0;
    int streamingStops = 0;

private:
    explicit TestInPlace(bool modifiesData);
};

// Upstream source, the in-place filter and a downstream sink in one graph.
struct Chain {
    explicit Chain(bool modifiesData = true, bool withGraph2 = true);
    ~Chain();
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    // Input first, then output, as a graph manager connects.
    HRESULT ConnectInput();
    HRESULT ConnectOutput();
    // Downstream first, as a graph manager does.
    HRESULT Run();
    HRESULT Stop();

    RecordingGraph graph;
    TestSource* const source;
    TestInPlace* const filter;
    TestSink* const sink;
};

#endif
