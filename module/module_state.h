// Module-wide counts and the module's own handle.
#ifndef DRAVIK_MODULE_STATE_H
#define DRAVIK_MODULE_STATE_H

#include <windows.h>

// Live CBaseObject instances; changed only by interlocked operations.
extern volatile LONG LiveObjectCount;
// LockServer(TRUE) calls minus LockServer(FALSE) calls.
extern volatile LONG ServerLockCount;
// Stored at process attach; the module's file name and resources are found through it.
extern HMODULE ModuleHandle;

#endif
