// The input pin of an in-place transform: offers the downstream types and
// passes the allocator through to the output side.
#ifndef DRAVIK_TRANS_IN_PLACE_INPUT_PIN_H
#define DRAVIK_TRANS_IN_PLACE_INPUT_PIN_H

#include "framework/transform_input_pin.h"

class CTransInPlaceFilter;

class CTransInPlaceInputPin : public CTransformInputPin {
public:
    // The pin lock is the filter's filter lock; the result slot is not written.
    CTransInPlaceInputPin(const wchar_t* objectName, CTransInPlaceFilter* filter, HRESULT* result, LPCWSTR pinName);

    // The filter's input check, then the downstream pin's acceptance while the output is connected.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // The base step, then the filter's completion step.
    HRESULT CompleteConnection(IPin* peer) override;

    // IPin: the downstream pin's types; VFW_E_NOT_CONNECTED while the output is unconnected.
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;

    // IMemInputPin
    // The downstream allocator while the output is connected, else one of the pin's own.
    STDMETHODIMP GetAllocator(IMemAllocator** allocator) override;
    // Passes the allocator downstream, or a separate one when read-only buffers must be written.
    STDMETHODIMP NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    // The downstream pin's requirements while the output is connected.
    STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;

    // The upstream filter does not allow its buffers to be written.
    BOOL UpstreamReadOnly() const { return upstreamReadOnly_; }

protected:
    CTransInPlaceFilter* const inPlaceFilter_;
    BOOL upstreamReadOnly_ = FALSE;

private:
    // Sets up the output allocator that read-only upstream buffers are copied into.
    HRESULT PrepareSeparateOutputAllocator(IMemAllocator* upstream);
};

#endif
