#include "overlay/aligned_buffer.h"

#include <new>

namespace {

constexpr std::align_val_t BufferAlignment{16};

}  // namespace

BYTE* AllocateAlignedBuffer(LONG size) {
    if (size <= 0) return nullptr;
    return static_cast<BYTE*>(::operator new(static_cast<size_t>(size), BufferAlignment, std::nothrow));
}

void FreeAlignedBuffer(BYTE* buffer) {
    if (buffer != nullptr) ::operator delete(buffer, BufferAlignment);
}
