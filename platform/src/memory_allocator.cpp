// The memory allocator: a fixed pool of equal buffers, each lent out as one
// sample. Properties can change only while nothing is committed or lent out;
// a decommit with buffers still out frees the pool when the last comes back.
#include "memory_allocator.h"

#include <dshow.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "live_object.h"
#include "media_sample.h"

namespace {

// More than this in one pool is refused rather than attempted.
const LONGLONG kMaxPoolBytes = 4LL << 30;

bool IsPowerOfTwo(LONG value) { return value > 0 && (value & (value - 1)) == 0; }

class PlatformMemoryAllocator final : public IMemAllocator {
public:
    PlatformMemoryAllocator() = default;
    ~PlatformMemoryAllocator() { FreePool(); }
    PlatformMemoryAllocator(const PlatformMemoryAllocator&) = delete;
    PlatformMemoryAllocator& operator=(const PlatformMemoryAllocator&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IMemAllocator) return E_NOINTERFACE;
        *object = static_cast<IMemAllocator*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG count = --references_;
        if (count == 0) delete this;
        return count;
    }

    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

private:
    // Drops every buffer and sample; called under the mutex or by the destructor.
    void FreePool();

    std::atomic<ULONG> references_{0};
    std::mutex mutex_;
    std::condition_variable bufferReturned_;
    ALLOCATOR_PROPERTIES properties_{0, 0, 0, 0};
    bool committed_ = false;
    // Decommitted while buffers were out: the pool goes when they are all back.
    bool freeWhenReturned_ = false;
    // Counts decommits, so that a waiting GetBuffer notices one even when a
    // commit follows before it wakes.
    unsigned long decommits_ = 0;
    void* block_ = nullptr;
    std::vector<std::unique_ptr<PlatformMediaSample>> samples_;
    std::deque<PlatformMediaSample*> free_;
    PlatformLiveObject live_;
};

STDMETHODIMP PlatformMemoryAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (request == nullptr || actual == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    if (committed_) return VFW_E_ALREADY_COMMITTED;
    if (freeWhenReturned_) return VFW_E_BUFFERS_OUTSTANDING;
    if (!IsPowerOfTwo(request->cbAlign)) return VFW_E_BADALIGN;
    if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return E_INVALIDARG;
    // Each buffer with its prefix fills a whole number of alignment units;
    // the buffer gets what the rounding adds.
    const LONGLONG align = request->cbAlign;
    const LONGLONG stride = (static_cast<LONGLONG>(request->cbPrefix) + request->cbBuffer + align - 1) / align * align;
    if (stride > 0x7FFFFFFF) return E_INVALIDARG;
    properties_.cBuffers = request->cBuffers;
    properties_.cbBuffer = static_cast<LONG>(stride - request->cbPrefix);
    properties_.cbAlign = request->cbAlign;
    properties_.cbPrefix = request->cbPrefix;
    *actual = properties_;
    return S_OK;
}

STDMETHODIMP PlatformMemoryAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
    if (properties == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    *properties = properties_;
    return S_OK;
}

STDMETHODIMP PlatformMemoryAllocator::Commit() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (committed_) return S_OK;
    if (freeWhenReturned_) {
        // The pool is still there: keep it.
        freeWhenReturned_ = false;
        committed_ = true;
        return S_OK;
    }
    if (properties_.cBuffers <= 0 || properties_.cbBuffer <= 0) return VFW_E_SIZENOTSET;
    const LONGLONG stride = static_cast<LONGLONG>(properties_.cbPrefix) + properties_.cbBuffer;
    const LONGLONG poolBytes = stride * properties_.cBuffers;
    if (poolBytes > kMaxPoolBytes) return E_OUTOFMEMORY;
    block_ = std::malloc(static_cast<size_t>(poolBytes + properties_.cbAlign - 1));
    if (block_ == nullptr) return E_OUTOFMEMORY;
    // The first data pointer is aligned; every stride is a multiple of the alignment.
    const uintptr_t alignMask = static_cast<uintptr_t>(properties_.cbAlign) - 1;
    const uintptr_t firstData =
        (reinterpret_cast<uintptr_t>(block_) + static_cast<uintptr_t>(properties_.cbPrefix) + alignMask) & ~alignMask;
    try {
        samples_.reserve(static_cast<size_t>(properties_.cBuffers));
        for (LONG i = 0; i < properties_.cBuffers; ++i) {
            BYTE* data = reinterpret_cast<BYTE*>(firstData + static_cast<uintptr_t>(i) * static_cast<uintptr_t>(stride));
            samples_.push_back(std::make_unique<PlatformMediaSample>(this, data, properties_.cbBuffer));
            free_.push_back(samples_.back().get());
        }
    } catch (const std::bad_alloc&) {
        FreePool();
        return E_OUTOFMEMORY;
    }
    committed_ = true;
    return S_OK;
}

STDMETHODIMP PlatformMemoryAllocator::Decommit() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!committed_) return S_OK;
    committed_ = false;
    ++decommits_;
    if (free_.size() == samples_.size()) {
        FreePool();
    } else {
        freeWhenReturned_ = true;
    }
    bufferReturned_.notify_all();
    return S_OK;
}

STDMETHODIMP PlatformMemoryAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags) {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!committed_) return VFW_E_NOT_COMMITTED;
    const unsigned long decommits = decommits_;
    while (free_.empty()) {
        if ((flags & AM_GBF_NOWAIT) != 0) return VFW_E_TIMEOUT;
        bufferReturned_.wait(lock);
        if (decommits_ != decommits) return VFW_E_NOT_COMMITTED;
    }
    PlatformMediaSample* lent = free_.front();
    free_.pop_front();
    lent->HandOut();
    // A lent sample keeps its allocator alive.
    AddRef();
    *sample = lent;
    return S_OK;
}

STDMETHODIMP PlatformMemoryAllocator::ReleaseBuffer(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto owned = std::find_if(samples_.begin(), samples_.end(), [sample](const auto& candidate) {
            return static_cast<IMediaSample*>(candidate.get()) == sample;
        });
        // Only a sample of this pool that is out and no longer held comes back.
        if (owned == samples_.end() || !(*owned)->Released() ||
            std::find(free_.begin(), free_.end(), owned->get()) != free_.end()) {
            return E_INVALIDARG;
        }
        free_.push_back(owned->get());
        if (freeWhenReturned_ && free_.size() == samples_.size()) {
            freeWhenReturned_ = false;
            FreePool();
        } else {
            bufferReturned_.notify_one();
        }
    }
    Release();
    return S_OK;
}

void PlatformMemoryAllocator::FreePool() {
    free_.clear();
    samples_.clear();
    std::free(block_);
    block_ = nullptr;
}

}  // namespace

HRESULT CreateMemoryAllocator(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    PlatformMemoryAllocator* allocator = new (std::nothrow) PlatformMemoryAllocator();
    if (allocator == nullptr) return E_OUTOFMEMORY;
    allocator->AddRef();
    const HRESULT result = allocator->QueryInterface(riid, object);
    allocator->Release();
    return result;
}
