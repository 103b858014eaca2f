// The helper filter's input pin: holds the newest sample back so the filter
// can re-time the one before it, and behaves as a plain input pin with an
// allocator of its own on a packing stream.
#ifndef DRAVIK_DRAVIK_INPUT_PIN_H
#define DRAVIK_DRAVIK_INPUT_PIN_H

#include "framework/trans_in_place_input_pin.h"
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
    HRESULT Deactivate() override;
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;

    // The held-back sample with a reference for the caller, or null.
    IMediaSample* PeekLookAhead() { return lookAhead_.Peek(); }

private:
    CDravik* const dravik_;
    CSampleSlot lookAhead_;
    CLock* const receiveLock_;
};

#endif
