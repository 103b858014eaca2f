#include "helper/look_ahead_copies.h"

#include "framework/sample_copy.h"

namespace {

// The copy the slot keeps, the one being delivered, and one that downstream may still hold.
const LONG CopyBuffers = 3;

}  // namespace

CLookAheadCopies::~CLookAheadCopies() {
    if (allocator_ == nullptr) return;
    allocator_->Decommit();
    allocator_->Release();
}

namespace {

// Whether the allocator has a buffer besides the sample for upstream's next GetBuffer.
bool CanSpare(IMemAllocator* allocator, IMediaSample* sample) {
    ALLOCATOR_PROPERTIES properties = {};
    if (allocator == nullptr || FAILED(allocator->GetProperties(&properties))) return false;
    // A sample larger than the allocator's buffers came from another allocator.
    return properties.cBuffers >= 2 && sample->GetSize() <= properties.cbBuffer;
}

}  // namespace

bool CLookAheadCopies::MustCopy(IMemAllocator* notified, IMediaSample* sample) {
    // A sample that names its own allocator is judged by that one, whatever upstream notified.
    IMemAllocator* own = nullptr;
    if (SUCCEEDED(sample->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(&own))) && own != nullptr) {
        const bool spare = CanSpare(own, sample);
        own->Release();
        return !spare;
    }
    return !CanSpare(notified, sample);
}

HRESULT CLookAheadCopies::AllocatorFor(LONG size, IMemAllocator** allocator) {
    CLockGuard guard(lock_);
    if (allocator_ == nullptr || bufferSize_ < size) {
        IMemAllocator* fresh = nullptr;
        HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                      reinterpret_cast<void**>(&fresh));
        if (FAILED(hr)) return hr;
        ALLOCATOR_PROPERTIES request = {CopyBuffers, size, 1, 0};
        ALLOCATOR_PROPERTIES actual = {};
        hr = fresh->SetProperties(&request, &actual);
        if (SUCCEEDED(hr) && (actual.cBuffers < CopyBuffers || actual.cbBuffer < size)) hr = E_FAIL;
        if (SUCCEEDED(hr)) hr = fresh->Commit();
        if (FAILED(hr)) {
            fresh->Release();
            return hr;
        }
        // Copies still out keep the old allocator alive until they come back.
        if (allocator_ != nullptr) {
            allocator_->Decommit();
            allocator_->Release();
        }
        allocator_ = fresh;
        bufferSize_ = actual.cbBuffer;
    }
    allocator_->AddRef();
    *allocator = allocator_;
    return S_OK;
}

HRESULT CLookAheadCopies::Copy(IMediaSample* source, IMediaSample** copy) {
    *copy = nullptr;
    IMemAllocator* allocator = nullptr;
    HRESULT hr = AllocatorFor(source->GetSize(), &allocator);
    if (FAILED(hr)) return hr;
    // Outside the lock: this waits for a buffer until one comes back or the pin is deactivated.
    IMediaSample* buffer = nullptr;
    hr = allocator->GetBuffer(&buffer, nullptr, nullptr, 0);
    allocator->Release();
    if (FAILED(hr)) return hr;
    hr = CopySampleProperties(source, buffer);
    if (SUCCEEDED(hr)) hr = CopySampleData(source, buffer);
    if (FAILED(hr)) {
        buffer->Release();
        return hr;
    }
    *copy = buffer;
    return S_OK;
}

HRESULT CLookAheadCopies::Commit() {
    CLockGuard guard(lock_);
    return allocator_ != nullptr ? allocator_->Commit() : S_OK;
}

HRESULT CLookAheadCopies::Decommit() {
    CLockGuard guard(lock_);
    return allocator_ != nullptr ? allocator_->Decommit() : S_OK;
}
