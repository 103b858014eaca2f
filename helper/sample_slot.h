// One counted sample reference that the streaming thread fills and uses while
// flush and stop on other threads may take it away: whoever takes the sample
// out owns its reference, so it is released exactly once.
#ifndef DRAVIK_SAMPLE_SLOT_H
#define DRAVIK_SAMPLE_SLOT_H

#include <dshow.h>

#include "framework/lock.h"

class CSampleSlot {
public:
    CSampleSlot() = default;
    ~CSampleSlot() { Clear(); }
    CSampleSlot(const CSampleSlot&) = delete;
    CSampleSlot& operator=(const CSampleSlot&) = delete;

    // Stores the sample with a reference of its own; answers the previous one, whose reference passes to the caller.
    IMediaSample* Exchange(IMediaSample* sample);
    // Stores the sample only when the slot is empty; whether it was stored.
    bool StoreIfEmpty(IMediaSample* sample);
    // The sample with a reference for the caller, or null.
    IMediaSample* Peek();
    // Takes the sample out; the caller owns its reference.
    IMediaSample* Take() { return Exchange(nullptr); }
    // Releases whatever is held.
    void Clear();
    bool IsEmpty();

private:
    CLock lock_;
    IMediaSample* sample_ = nullptr;
};

#endif
