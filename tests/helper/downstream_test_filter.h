// A downstream filter for the helper's tests: records every sample it
// receives (bytes, times, attached type) and every stream event, in order.
#ifndef DRAVIK_TESTS_HELPER_DOWNSTREAM_TEST_FILTER_H
#define DRAVIK_TESTS_HELPER_DOWNSTREAM_TEST_FILTER_H

#include <dshow.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/base_filter.h"
#include "framework/base_input_pin.h"
#include "framework/media_type.h"

// What downstream saw of one sample.
struct ReceivedSample {
    std::vector<BYTE> data;
    LONG length = 0;
    // The sample's buffer size.
    LONG size = 0;
    HRESULT timeResult = E_FAIL;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // The type attached to the sample, or null.
    std::shared_ptr<COwnedMediaType> type;
    // Which sample object it was, for telling passed-on buffers from copies.
    const void* object = nullptr;
};

class DownstreamTestFilter;

class DownstreamTestPin : public CBaseInputPin {
public:
    DownstreamTestPin(DownstreamTestFilter* filter, CLock* lock);

    // `accept` decides when set; everything is accepted otherwise.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    // `requirements` when set, else the plain pin's answer.
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    // `offeredAllocator` when set, else the plain pin's own.
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;

    // The samples from the first-th on.
    std::vector<ReceivedSample> Received(size_t first = 0);
    size_t ReceivedCount();
    // One letter per event in order: S sample, E end of stream, B/F begin/end flush, N new segment.
    std::string Events();
    void Forget();

    // Set before connecting or streaming.
    std::function<HRESULT(const AM_MEDIA_TYPE*)> accept;
    bool hasRequirements = false;
    ALLOCATOR_PROPERTIES requirements{};
    // Off: only count and log samples (long streams).
    bool keepData = true;
    // Not owned; must outlive the connection.
    IMemAllocator* offeredAllocator = nullptr;
    // Called inside Receive (after the checks, before the sample is recorded) and inside
    // EndOfStream, on the streaming thread.
    std::function<void(IMediaSample*)> onSample;
    std::function<void()> onEndOfStream;

private:
    std::mutex mutex_;
    std::vector<ReceivedSample> received_;
    size_t count_ = 0;
    std::string events_;
};

class DownstreamTestFilter : public CBaseFilter {
public:
    // One reference for the caller.
    static DownstreamTestFilter* Create();

    int PinCount() override { return 1; }
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    DownstreamTestPin* Pin() { return &pin_; }
    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }

private:
    DownstreamTestFilter();
    CLock lock_;
    DownstreamTestPin pin_;
};

#endif
