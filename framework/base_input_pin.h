// The receiving end of a connection: IMemInputPin, the receive checks, the
// flush steps and the way quality messages travel upstream.
#ifndef DRAVIK_BASE_INPUT_PIN_H
#define DRAVIK_BASE_INPUT_PIN_H

#include <dshow.h>

#include <atomic>

#include "framework/base_pin.h"

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    // The lock is the owning filter's filter lock; the result slot is not written.
    CBaseInputPin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT* result, LPCWSTR pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN

    // IMemInputPin, then the base pin's interfaces.
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // Clears the runtime error and the flushing flag, then decommits the allocator.
    HRESULT Deactivate() override;
    // Decommits and drops the allocator; a failed decommit keeps it.
    HRESULT BreakConnection() override;
    // Whether a sample or end-of-stream may be accepted now.
    virtual HRESULT CheckReceiveState();
    // Whether a type announced on a received sample is taken; by default the connection rule.
    virtual HRESULT CheckReceivedType(const AM_MEDIA_TYPE* type) { return CheckPinType(type); }

    // IMemInputPin
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    STDMETHODIMP ReceiveCanBlock() override;

    // IQualityControl: an input pin is no destination for quality messages.
    STDMETHODIMP Notify(IBaseFilter* sender, Quality quality) override;

    // Hands the message to the quality sink, else to the upstream pin's quality control.
    HRESULT PassQualityUpstream(const Quality& quality);

    // The allocator agreed with the upstream pin, no reference added; null when none.
    IMemAllocator* Allocator() const { return allocator_; }
    bool IsReadOnly() const { return readOnly_; }
    bool IsFlushing() const { return flushing_; }
    // Properties of the sample being received.
    const AM_SAMPLE2_PROPERTIES& SampleProperties() const { return sampleProperties_; }

protected:
    // The flush steps of the derived pins' BeginFlush and EndFlush.
    HRESULT BeginFlushStep();
    HRESULT EndFlushStep();

    IMemAllocator* allocator_ = nullptr;
    bool readOnly_ = false;
    // Written on the flushing thread, read on the streaming thread.
    std::atomic<bool> flushing_{false};
    AM_SAMPLE2_PROPERTIES sampleProperties_{};

    // Fills the sample properties through IMediaSample2, else through IMediaSample;
    // for a derived pin that hands on a sample other than the one just checked.
    HRESULT ReadSampleProperties(IMediaSample* sample);

private:
    // Drops the media type the last sample handed out through GetMediaType.
    void FreeReceivedType();

    // Owned copy handed out by a sample without IMediaSample2; pMediaType points to it.
    AM_MEDIA_TYPE* receivedType_ = nullptr;
};

#endif
