// A filter with one input and one output pin whose output derives from its
// input: state changes, the two locks, the connection order and the passing on
// of stream events, with every pin event turned into a virtual operation.
#ifndef DRAVIK_TRANSFORM_FILTER_H
#define DRAVIK_TRANSFORM_FILTER_H

#include <dshow.h>

#include <atomic>

#include "framework/base_filter.h"
#include "framework/lock.h"

class CTransformInputPin;
class CTransformOutputPin;

// Locks are taken in this order: the filter lock, the receive lock, then leaf
// locks, which are never held while calling out of the module. The receive
// lock is held across delivery downstream, and Stop holds the filter lock while
// it waits for the receive lock; so no call that a neighbour can make on our
// pins, our seeking pass-through or our allocators from inside our delivery
// waits for the filter lock (QueryInterface, ConnectionMediaType, ConnectedTo,
// QueryPinInfo, QueryAccept, EnumMediaTypes, seeking, Notify,
// GetAllocatorRequirements, ReceiveCanBlock). State those calls read is
// guarded by leaf locks instead.
class CTransformFilter : public CBaseFilter {
public:
    CTransformFilter(const wchar_t* debugName, IUnknown* outer, REFCLSID classId);
    ~CTransformFilter() override;

    // Always an input and an output pin.
    int PinCount() override;

    // Fills the output sample from the input sample; unused by the in-place filters.
    virtual HRESULT TransformToOutput(IMediaSample* input, IMediaSample* output);
    // S_OK accepts the type for the input pin.
    virtual HRESULT CheckInputFormat(const AM_MEDIA_TYPE* type) = 0;
    // S_OK accepts the pair of input and output type.
    virtual HRESULT CheckTransformPair(const AM_MEDIA_TYPE* input, const AM_MEDIA_TYPE* output) = 0;
    // Sets the output allocator's buffer properties from the request.
    virtual HRESULT SizeBuffers(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    // The output type offered at the position; VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT ProposeOutputType(int position, AM_MEDIA_TYPE* type) = 0;
    // Streaming starts: the first pause from stopped with both pins connected.
    virtual HRESULT OnStreamingStart();
    // Streaming stops: a stop with both pins connected.
    virtual HRESULT OnStreamingStop();
    // A quality message reached the output pin; S_FALSE passes it upstream.
    virtual HRESULT OnQualityMessage(const Quality& quality);
    // A pin has taken a new media type.
    virtual HRESULT OnMediaTypeSet(PIN_DIRECTION direction, const AM_MEDIA_TYPE* type);
    // A pin is about to connect to the peer; a failure refuses it.
    virtual HRESULT OnCheckConnect(PIN_DIRECTION direction, IPin* peer);
    // A pin's connection is being broken; the result is not used.
    virtual HRESULT OnBreakConnect(PIN_DIRECTION direction);
    // A pin's connection to the peer is being completed; a failure undoes it.
    virtual HRESULT OnCompleteConnect(PIN_DIRECTION direction, IPin* peer) = 0;
    // Processes a sample that passed the input pin's checks, under the receive lock.
    virtual HRESULT ReceiveSample(IMediaSample* sample) = 0;
    // End of stream reached the input pin, under the receive lock.
    virtual HRESULT OnEndOfStream();
    // Begin-flush reached the input pin, under the filter lock.
    virtual HRESULT OnBeginFlush();
    // End-flush reached the input pin with both pins connected, under the filter lock.
    virtual HRESULT OnEndFlush();
    // A new segment reached the input pin.
    virtual HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // IMediaFilter
    STDMETHODIMP Stop() override;
    STDMETHODIMP Pause() override;

    // IBaseFilter: "In" and "Out".
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

    CTransformInputPin* InputPin() const { return input_; }
    CTransformOutputPin* OutputPin() const { return output_; }
    CLock& TransformFilterLock() { return filterLock_; }
    // Serialises the streaming path against Stop and Pause.
    CLock& ReceiveLock() { return receiveLock_; }

protected:
    bool endOfStreamSent_ = false;
    // Written on the streaming thread, cleared by Pause.
    std::atomic<bool> sampleSkipped_{false};
    std::atomic<bool> qualityChanged_{false};
    // Guards the filter state and the pins' connections.
    CLock filterLock_;
    // Held by Receive and EndOfStream for the whole processing of a sample or
    // end of stream, delivery included; by Stop, Pause and EndFlush to wait for it
    // (BeginFlush does not take it: the flush releases a delivery blocked downstream).
    CLock receiveLock_;
    // Owned; created by the derived filter.
    CTransformInputPin* input_ = nullptr;
    CTransformOutputPin* output_ = nullptr;

private:
    // Pause from stopped or running, under the filter lock.
    HRESULT EnterPaused();
};

#endif
