// The sending end of a connection: the downstream IMemInputPin, the allocator
// choice, empty samples, and passing samples and stream events downstream.
#ifndef DRAVIK_BASE_OUTPUT_PIN_H
#define DRAVIK_BASE_OUTPUT_PIN_H

#include <dshow.h>

#include "framework/base_pin.h"

class CBaseOutputPin : public CBasePin {
public:
    // The lock is the owning filter's filter lock; the result slot is not written.
    CBaseOutputPin(const wchar_t* objectName, CBaseFilter* filter, CLock* pinLock, HRESULT* result, LPCWSTR pinName);
    ~CBaseOutputPin() override;

    // Commits the allocator; VFW_E_NO_ALLOCATOR without one.
    HRESULT Activate() override;
    // Clears the runtime error and decommits the allocator; VFW_E_NO_ALLOCATOR without one.
    HRESULT Deactivate() override;
    // Refuses another output pin and keeps the peer's IMemInputPin.
    HRESULT CheckPeer(IPin* peer) override;
    // Decommits and drops the allocator, then the peer's IMemInputPin; a failed decommit keeps both.
    HRESULT BreakConnection() override;
    // Chooses the allocator of the connection.
    HRESULT CompleteConnection(IPin* peer) override;

    // The input pin's allocator if it can be sized and is accepted, else a new one.
    virtual HRESULT ChooseAllocator(IMemInputPin* inputPin, IMemAllocator** allocator);
    // Sets the buffer properties on the allocator from the request (which it may change).
    virtual HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    // An empty sample from the allocator; E_NOINTERFACE without one.
    virtual HRESULT GetOutputSample(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags);
    // Hands the sample to the connected input pin; VFW_E_NOT_CONNECTED without one.
    virtual HRESULT DeliverSample(IMediaSample* sample);
    // A new memory allocator of the platform's.
    virtual HRESULT CreateDefaultAllocator(IMemAllocator** allocator);
    // Passes end-of-stream to the connected pin.
    virtual HRESULT SendEndOfStream();
    // Passes begin-flush to the connected pin.
    virtual HRESULT SendBeginFlush();
    // Passes end-flush to the connected pin.
    virtual HRESULT SendEndFlush();
    // Passes the new segment to the connected pin.
    virtual HRESULT SendNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // IPin: these arrive only at input pins.
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;

    // The allocator of the connection, no reference added; null when none.
    IMemAllocator* Allocator() const { return allocator_; }
    // The peer's IMemInputPin, no reference added; null when not connected.
    IMemInputPin* ConnectedInputPin() const { return inputPin_; }

protected:
    IMemAllocator* allocator_ = nullptr;
    IMemInputPin* inputPin_ = nullptr;

private:
    void ReleaseInputPin();
};

#endif
