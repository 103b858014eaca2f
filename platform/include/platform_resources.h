// Native only: what the platform's loader would otherwise provide.
#ifndef PLATFORM_RESOURCES_H
#define PLATFORM_RESOURCES_H

#include <windows.h>

// The module's generated resource table registers each resource when it is
// loaded. There is one module per process, so FindResourceW does not consult
// the module handle.
extern "C" void PlatformAddResource(const WCHAR* type, WORD id, WORD language, const void* data, DWORD size);

// The handle of the loaded module (shared object or program) that contains the address.
extern "C" HMODULE PlatformModuleFromAddress(const void* address);

#endif
