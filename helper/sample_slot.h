// One counted sample reference that the streaming thread fills and uses while
// flush and stop on other threads may take it away: whoever takes the sample
// out owns its reference, so it is released exactly once. Closing empties the
// slot and keeps it empty until it is opened again, so that a streaming
// thread that passed its checks before a stop or flush cannot fill it after.
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

    // Stores the sample with a reference of its own, and whether it is a copy
    // of ours; hands the previous one out with its reference and its mark.
    // False, storing nothing and handing nothing out, while the slot is closed.
    bool Exchange(IMediaSample* sample, bool copy, IMediaSample** previous, bool* previousCopy);
    // The sample with a reference for the caller, or null.
    IMediaSample* Peek();
    // Takes the sample out, and its mark when asked; the caller owns its reference.
    IMediaSample* Take(bool* copy = nullptr);
    // Releases whatever is held.
    void Clear();
    // Releases whatever is held and refuses every store until Open.
    void Close();
    void Open();
    bool IsEmpty();

private:
    // Leaf lock: guards the three fields below; only AddRef is called under it.
    CLock lock_;
    IMediaSample* sample_ = nullptr;
    bool copy_ = false;
    bool closed_ = false;
};

#endif
