// The dummy source: one pin, "Out", offering 1920 x 1080 uncompressed video
// types so that a host can probe what a downstream filter accepts.
#ifndef DRAVIK_DUMMY_SOURCE_H
#define DRAVIK_DUMMY_SOURCE_H

#include "framework/source_filter.h"

class CDS : public CSource {
public:
    // The factory row's create function: null without touching the slot when out of memory.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT* result);

    CDS(IUnknown* outer, HRESULT* result);
};

#endif
