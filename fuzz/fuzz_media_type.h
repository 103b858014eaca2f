// A media type read from a harness's input: major type, subtype and format
// type from the ones the module tells apart (or any GUID), and a format block
// of exactly the size the type claims, or none at all. The block's bytes come
// from the input; its structure's key fields may be set to values the module
// knows, and it may be cut short of its structure.
#ifndef DRAVIK_FUZZ_FUZZ_MEDIA_TYPE_H
#define DRAVIK_FUZZ_FUZZ_MEDIA_TYPE_H

#include <windows.h>
#include <dshow.h>

#include <memory>

#include "fuzz/fuzz_input.h"

class FuzzMediaType {
public:
    explicit FuzzMediaType(FuzzInput& input);
    FuzzMediaType(const FuzzMediaType&) = delete;
    FuzzMediaType& operator=(const FuzzMediaType&) = delete;

    AM_MEDIA_TYPE* Get() { return &type_; }

private:
    AM_MEDIA_TYPE type_{};
    std::unique_ptr<BYTE[]> block_;
};

// A pixel format code: one the overlay knows, or any.
DWORD FuzzFourcc(FuzzInput& input);

#endif
