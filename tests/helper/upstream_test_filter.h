// An upstream filter for the helper's tests: offers the media types it is
// given and delivers hand-made samples from the connection's allocator.
#ifndef DRAVIK_TESTS_HELPER_UPSTREAM_TEST_FILTER_H
#define DRAVIK_TESTS_HELPER_UPSTREAM_TEST_FILTER_H

#include <dshow.h>

#include <memory>
#include <vector>

#include "framework/base_filter.h"
#include "framework/base_output_pin.h"
#include "framework/media_type.h"

// One sample as upstream delivers it.
struct SampleToSend {
    std::vector<BYTE> data;
    bool timed = true;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // Off: a start time alone.
    bool stopValid = true;
    // Announced in-band when set.
    const AM_MEDIA_TYPE* type = nullptr;
    // Not negative: the sample carries this many bytes as its buffer holds
    // them, and data is not copied (long streams of large samples).
    LONG length = -1;
    // Set on the sample when true; otherwise the buffer's own flags stay.
    bool syncPoint = false;
    bool discontinuity = false;
    bool preroll = false;
};

// length bytes counting up from first.
std::vector<BYTE> CountingBytes(size_t length, BYTE first = 0);

class UpstreamTestFilter;

class UpstreamTestPin : public CBaseOutputPin {
public:
    UpstreamTestPin(UpstreamTestFilter* filter, CLock* lock);

    // Any type of the first offered type's major type.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // The offered types in order.
    HRESULT MediaTypeAt(int position, COwnedMediaType* type) override;
    // At least `buffers` buffers of `bufferSize` bytes.
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    // With `readOnly`, an allocator of the pin's own announced as read-only.
    HRESULT ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator) override;
    STDMETHODIMP QueryId(LPWSTR* id) override;

    // Fills one buffer of the connection's allocator and delivers it; the delivery result.
    HRESULT Send(const SampleToSend& sample);

    LONG buffers = 4;
    LONG bufferSize = 65536;
    // Off: the allocator gets `buffers` whatever downstream asked for.
    bool honourRequests = true;
    // On: the buffers are read-only, so an in-place filter must copy into an allocator of its own.
    bool readOnly = false;
    // Positive: samples come from an allocator of the pin's own with this many
    // buffers of `ownBufferSize` bytes, not from the one the connection agreed on.
    LONG ownBuffers = 0;
    LONG ownBufferSize = 65536;
    // Set: samples come from this committed allocator (not owned), not from the one the connection agreed on.
    IMemAllocator* givenAllocator = nullptr;
    // The sample objects delivered, in order.
    std::vector<const void*> sentObjects;

    ~UpstreamTestPin() override;

private:
    HRESULT NextSample(IMediaSample** sample);

    UpstreamTestFilter* const owner_;
    IMemAllocator* ownAllocator_ = nullptr;
};

class UpstreamTestFilter : public CBaseFilter {
public:
    // One reference for the caller.
    static UpstreamTestFilter* Create();

    int PinCount() override { return 1; }
    CBasePin* PinAt(int index) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    UpstreamTestPin* Pin() { return &pin_; }
    IBaseFilter* Interface() { return static_cast<IBaseFilter*>(this); }
    // Appends a type to the offered list.
    void Offer(const AM_MEDIA_TYPE& type);
    const std::vector<std::unique_ptr<COwnedMediaType>>& Offered() const { return offered_; }

private:
    UpstreamTestFilter();
    CLock lock_;
    UpstreamTestPin pin_;
    std::vector<std::unique_ptr<COwnedMediaType>> offered_;
};

#endif
