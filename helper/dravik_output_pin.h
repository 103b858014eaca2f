// The helper filter's output pin: offers the rewritten upstream types and, on
// a relabelled stream, accepts only the rewritten input type.
#ifndef DRAVIK_DRAVIK_OUTPUT_PIN_H
#define DRAVIK_DRAVIK_OUTPUT_PIN_H

#include "framework/trans_in_place_output_pin.h"

class CDravik;

class CDravikOutputPin : public CTransInPlaceOutputPin {
public:
    CDravikOutputPin(CDravik* filter, HRESULT* result);

    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    // The base pin's enumeration over ProposeOutputType, not upstream's list.
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;

private:
    // A copied stream cannot change format on the fly.
    bool IsStreamingWithCopies() const;

    CDravik* const dravik_;
};

#endif
