// What a pin offers, as owned copies.
#ifndef DRAVIK_TESTS_HELPER_PIN_TYPES_H
#define DRAVIK_TESTS_HELPER_PIN_TYPES_H

#include <dshow.h>

#include <memory>
#include <vector>

#include "framework/media_type.h"

// Every type of the pin's enumerator, in order; empty when it has none.
inline std::vector<std::unique_ptr<COwnedMediaType>> OfferedTypes(IPin* pin) {
    std::vector<std::unique_ptr<COwnedMediaType>> offered;
    IEnumMediaTypes* types = nullptr;
    if (FAILED(pin->EnumMediaTypes(&types)) || types == nullptr) return offered;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    while (types->Next(1, &type, &fetched) == S_OK && fetched == 1) {
        std::unique_ptr<COwnedMediaType> copy(new COwnedMediaType());
        if (SUCCEEDED(copy->Assign(*type))) offered.push_back(std::move(copy));
        DeleteTaskMediaType(type);
        type = nullptr;
    }
    types->Release();
    return offered;
}

#endif
