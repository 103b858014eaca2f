#include "helper/sample_slot.h"

bool CSampleSlot::Exchange(IMediaSample* sample, bool copy, IMediaSample** previous, bool* previousCopy) {
    *previous = nullptr;
    *previousCopy = false;
    CLockGuard guard(lock_);
    if (closed_) return false;
    sample->AddRef();
    *previous = sample_;
    *previousCopy = copy_;
    sample_ = sample;
    copy_ = copy;
    return true;
}

IMediaSample* CSampleSlot::Peek() {
    CLockGuard guard(lock_);
    if (sample_ != nullptr) sample_->AddRef();
    return sample_;
}

IMediaSample* CSampleSlot::Take(bool* copy) {
    CLockGuard guard(lock_);
    IMediaSample* taken = sample_;
    if (copy != nullptr) *copy = copy_;
    sample_ = nullptr;
    return taken;
}

void CSampleSlot::Clear() {
    // Released outside the lock: the last release of a sample calls its allocator.
    IMediaSample* previous = Take();
    if (previous != nullptr) previous->Release();
}

void CSampleSlot::Close() {
    {
        CLockGuard guard(lock_);
        closed_ = true;
    }
    Clear();
}

void CSampleSlot::Open() {
    CLockGuard guard(lock_);
    closed_ = false;
}

bool CSampleSlot::IsEmpty() {
    CLockGuard guard(lock_);
    return sample_ == nullptr;
}
