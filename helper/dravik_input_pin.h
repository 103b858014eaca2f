// The helper filter's input pin: holds the newest sample back (or a copy of
// it, where upstream has no buffer to spare) so the filter can re-time the one
// before it, and behaves as a plain input pin with an allocator of its own on
// a packing stream.
#ifndef DRAVIK_DRAVIK_INPUT_PIN_H
#define DRAVIK_DRAVIK_INPUT_PIN_H

#include "framework/trans_in_place_input_pin.h"
#include "helper/look_ahead_copies.h"
#include "helper/sample_slot.h"

class CDravik;

class CDravikInputPin : public CTransInPlaceInputPin {
public:
    CDravikInputPin(CDravik* filter, HRESULT* result, CLock* receiveLock);

    STDMETHODIMP Receive(IMediaSample* sample) override;
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP EndOfStream() override;
    STDMETHODIMP BeginFlush() override;
    STDMETHODIMP EndFlush() override;
    HRESULT Activate() override;
    HRESULT Deactivate() override;
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // Also the compressed audio a decoder announces in-band, and the way back to PCM.
    HRESULT CheckReceivedType(const AM_MEDIA_TYPE* type) override;

    // The held-back sample with a reference for the caller, or null.
    IMediaSample* PeekLookAhead() { return lookAhead_.Peek(); }
    // Whether the sample being handed to the filter is a copy in a buffer of the pin's own.
    bool HandingOnCopy() const { return handingOnCopy_; }

private:
    // Hands a sample from the slot to the filter.
    HRESULT HandOn(IMediaSample* sample, bool copy);

    CDravik* const dravik_;
    // Open from Activate and EndFlush; closed (and empty) from Deactivate and BeginFlush.
    CSampleSlot lookAhead_;
    CLookAheadCopies copies_;
    // Read and written on the streaming thread only.
    bool handingOnCopy_ = false;
    CLock* const receiveLock_;
};

#endif
