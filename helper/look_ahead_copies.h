// Copies for the look-ahead slot of samples it may not keep. Holding an
// upstream buffer is safe only when the allocator it came from has one to
// spare; when it has not, keeping it would stop upstream's next GetBuffer for
// good. A sample's allocator is the one the sample names (it answers
// IID_IMemAllocator), else the one upstream notified, unless the sample is
// larger than that one's buffers.
#ifndef DRAVIK_LOOK_AHEAD_COPIES_H
#define DRAVIK_LOOK_AHEAD_COPIES_H

#include <dshow.h>

#include "framework/lock.h"

class CLookAheadCopies {
public:
    CLookAheadCopies() = default;
    ~CLookAheadCopies();
    CLookAheadCopies(const CLookAheadCopies&) = delete;
    CLookAheadCopies& operator=(const CLookAheadCopies&) = delete;

    // Whether a sample delivered by upstream, which notified `notified` as its
    // allocator (null: none), must be copied before the look-ahead keeps it.
    static bool MustCopy(IMemAllocator* notified, IMediaSample* sample);

    // A buffer of our own holding the sample's data and properties; the caller
    // owns its reference. Waits while every such buffer is in use.
    HRESULT Copy(IMediaSample* source, IMediaSample** copy);

    // Called as the pin is activated and deactivated; decommitting releases a waiting Copy.
    HRESULT Commit();
    HRESULT Decommit();

private:
    // The allocator for copies of `size` bytes, with a reference for the caller.
    HRESULT AllocatorFor(LONG size, IMemAllocator** allocator);

    CLock lock_;
    IMemAllocator* allocator_ = nullptr;
    LONG bufferSize_ = 0;
};

#endif
