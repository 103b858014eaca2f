// The output pin of an in-place transform: offers the upstream types and keeps
// the allocator the input side hands it.
#ifndef DRAVIK_TRANS_IN_PLACE_OUTPUT_PIN_H
#define DRAVIK_TRANS_IN_PLACE_OUTPUT_PIN_H

#include "framework/transform_output_pin.h"

class CTransInPlaceFilter;

class CTransInPlaceOutputPin : public CTransformOutputPin {
public:
    // The pin lock is the filter's filter lock; the result slot is not written.
    CTransInPlaceOutputPin(const wchar_t* objectName, CTransInPlaceFilter* filter, HRESULT* result, LPCWSTR pinName);

    // While streaming with two allocators only the current type; else the filter's
    // input check and the upstream pin's acceptance.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // The allocator choice, then the filter's completion step.
    HRESULT CompleteConnection(IPin* peer) override;

    // IPin: the upstream pin's types; VFW_E_NOT_CONNECTED while the input is unconnected.
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;

    // Replaces the output allocator, keeping a reference of the pin's own.
    void SetOutputAllocator(IMemAllocator* allocator);

protected:
    CTransInPlaceFilter* const inPlaceFilter_;
};

#endif
