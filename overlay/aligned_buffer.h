// 16-byte-aligned buffers for frame layouts of the overlay's own.
#ifndef DRAVIK_OVERLAY_ALIGNED_BUFFER_H
#define DRAVIK_OVERLAY_ALIGNED_BUFFER_H

#include <windows.h>

// Null when size is not positive or memory is short.
BYTE* AllocateAlignedBuffer(LONG size);
// Frees what AllocateAlignedBuffer returned; null is ignored.
void FreeAlignedBuffer(BYTE* buffer);

#endif
