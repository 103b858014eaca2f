#include "helper/sample_slot.h"

IMediaSample* CSampleSlot::Exchange(IMediaSample* sample) {
    if (sample != nullptr) sample->AddRef();
    CLockGuard guard(lock_);
    IMediaSample* previous = sample_;
    sample_ = sample;
    return previous;
}

bool CSampleSlot::StoreIfEmpty(IMediaSample* sample) {
    CLockGuard guard(lock_);
    if (sample_ != nullptr) return false;
    sample->AddRef();
    sample_ = sample;
    return true;
}

IMediaSample* CSampleSlot::Peek() {
    CLockGuard guard(lock_);
    if (sample_ != nullptr) sample_->AddRef();
    return sample_;
}

void CSampleSlot::Clear() {
    IMediaSample* previous = Take();
    if (previous != nullptr) previous->Release();
}

bool CSampleSlot::IsEmpty() {
    CLockGuard guard(lock_);
    return sample_ == nullptr;
}
