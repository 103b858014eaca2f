// Task memory: the allocator that crosses interface boundaries.
#include <windows.h>

#include <stdlib.h>

extern "C" LPVOID CoTaskMemAlloc(SIZE_T size) { return malloc(size == 0 ? 1 : size); }

extern "C" LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) { return realloc(block, size == 0 ? 1 : size); }

extern "C" void CoTaskMemFree(LPVOID block) { free(block); }
