// Native only: the class-table entry of the memory allocator.
#ifndef PLATFORM_MEMORY_ALLOCATOR_H
#define PLATFORM_MEMORY_ALLOCATOR_H

#include <windows.h>

// CLSID_MemoryAllocator: IMemAllocator over buffers in the process's own
// memory. Not aggregatable.
HRESULT CreateMemoryAllocator(IUnknown* outer, REFIID riid, void** object);

#endif
