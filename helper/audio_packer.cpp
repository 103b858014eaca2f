#include "helper/audio_packer.h"

#include <cstring>
#include <utility>

#include "framework/sample_copy.h"

namespace {

// The packet being filled and two that downstream may still hold.
const LONG kPacketBuffers = 3;

}  // namespace

CAudioPacker::CAudioPacker(std::function<HRESULT(IMediaSample*)> deliver) : deliver_(std::move(deliver)) {}

CAudioPacker::~CAudioPacker() {
    Close();
    if (allocator_ == nullptr) return;
    allocator_->Decommit();
    allocator_->Release();
}

HRESULT CAudioPacker::Pack(IMediaSample* sample, bool announcesType) {
    {
        CLockGuard guard(lock_);
        if (!open_) return S_FALSE;
    }
    const LONG length = sample->GetActualDataLength();
    if (length < 0 || length > sample->GetSize()) return VFW_E_BUFFER_OVERFLOW;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (!announcesType && FAILED(sample->GetTime(&start, &stop))) {
        const HRESULT appended = Append(sample, length);
        if (appended != S_FALSE) return appended;
    }
    const HRESULT delivered = Deliver();
    if (FAILED(delivered)) return delivered;
    if (length > PacketSize) return deliver_(sample);
    return Begin(sample);
}

HRESULT CAudioPacker::Append(IMediaSample* sample, LONG length) {
    IMediaSample* packet = nullptr;
    {
        CLockGuard guard(lock_);
        if (packet_ == nullptr) return S_FALSE;
        packet = packet_;
        packet->AddRef();
    }
    // A Close meanwhile only makes this packet one that is never delivered.
    const LONG used = packet->GetActualDataLength();
    HRESULT hr = S_FALSE;
    if (used >= 0 && used <= packet->GetSize() && length <= packet->GetSize() - used) {
        BYTE* from = nullptr;
        BYTE* to = nullptr;
        hr = sample->GetPointer(&from);
        if (SUCCEEDED(hr)) hr = packet->GetPointer(&to);
        if (SUCCEEDED(hr) && length > 0) std::memcpy(to + used, from, static_cast<size_t>(length));
        if (SUCCEEDED(hr)) hr = packet->SetActualDataLength(used + length);
    }
    packet->Release();
    return hr;
}

HRESULT CAudioPacker::Begin(IMediaSample* sample) {
    IMemAllocator* allocator = nullptr;
    unsigned closes = 0;
    HRESULT hr = PacketAllocator(&allocator, &closes);
    if (FAILED(hr)) return hr;
    // Outside the lock: this waits while downstream holds every packet, until one comes back or Decommit.
    IMediaSample* packet = nullptr;
    hr = allocator->GetBuffer(&packet, nullptr, nullptr, 0);
    allocator->Release();
    if (FAILED(hr)) return hr;
    hr = CopySampleProperties(sample, packet);
    if (SUCCEEDED(hr)) hr = CopySampleData(sample, packet);
    if (SUCCEEDED(hr)) {
        CLockGuard guard(lock_);
        if (open_ && closes == closes_) std::swap(packet, packet_);
    }
    if (packet != nullptr) packet->Release();
    return hr;
}

HRESULT CAudioPacker::PacketAllocator(IMemAllocator** allocator, unsigned* closes) {
    {
        CLockGuard guard(lock_);
        if (!committed_) return VFW_E_NOT_COMMITTED;
        *closes = closes_;
        if (allocator_ != nullptr) {
            allocator_->AddRef();
            *allocator = allocator_;
            return S_OK;
        }
    }
    // Made on first use: most streams never pack.
    IMemAllocator* fresh = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                  reinterpret_cast<void**>(&fresh));
    if (FAILED(hr)) return hr;
    ALLOCATOR_PROPERTIES request = {kPacketBuffers, PacketSize, 1, 0};
    ALLOCATOR_PROPERTIES actual = {};
    hr = fresh->SetProperties(&request, &actual);
    if (SUCCEEDED(hr) && (actual.cBuffers < kPacketBuffers || actual.cbBuffer < PacketSize)) hr = E_FAIL;
    if (FAILED(hr)) {
        fresh->Release();
        return hr;
    }
    CLockGuard guard(lock_);
    // Only the streaming thread makes it; Decommit may have come meanwhile.
    if (!committed_) {
        fresh->Release();
        return VFW_E_NOT_COMMITTED;
    }
    hr = fresh->Commit();
    if (FAILED(hr)) {
        fresh->Release();
        return hr;
    }
    allocator_ = fresh;
    allocator_->AddRef();
    *allocator = allocator_;
    return S_OK;
}

HRESULT CAudioPacker::Deliver() {
    IMediaSample* packet = nullptr;
    {
        CLockGuard guard(lock_);
        std::swap(packet, packet_);
    }
    if (packet == nullptr) return S_OK;
    const HRESULT hr = deliver_(packet);
    packet->Release();
    return hr;
}

void CAudioPacker::Close() {
    IMediaSample* packet = nullptr;
    {
        CLockGuard guard(lock_);
        open_ = false;
        ++closes_;
        std::swap(packet, packet_);
    }
    if (packet != nullptr) packet->Release();
}

void CAudioPacker::Open() {
    CLockGuard guard(lock_);
    open_ = true;
}

HRESULT CAudioPacker::Commit() {
    CLockGuard guard(lock_);
    committed_ = true;
    return allocator_ != nullptr ? allocator_->Commit() : S_OK;
}

HRESULT CAudioPacker::Decommit() {
    CLockGuard guard(lock_);
    committed_ = false;
    return allocator_ != nullptr ? allocator_->Decommit() : S_OK;
}
