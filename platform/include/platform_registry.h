// Native only: controls over the in-process registry for tests, standing in
// for access rights the platform would enforce.
#ifndef PLATFORM_REGISTRY_H
#define PLATFORM_REGISTRY_H

#include <windows.h>

// Operations a key can be made to refuse with ERROR_ACCESS_DENIED.
#define PLATFORM_REGISTRY_REFUSE_CREATE 0x1
#define PLATFORM_REGISTRY_REFUSE_DELETE 0x2
#define PLATFORM_REGISTRY_REFUSE_SET_VALUE 0x4

// The key at path under HKEY_CLASSES_ROOT (matched without regard to case,
// whether it exists yet or not) refuses the given operations from now on.
extern "C" void PlatformRegistryRefuse(LPCWSTR path, DWORD operations);

// Empties every tree and forgets every refusal. Handles still open refer to
// deleted keys afterwards and answer ERROR_KEY_DELETED.
extern "C" void PlatformRegistryReset();

// Key handles opened or created and not yet closed.
extern "C" LONG PlatformRegistryOpenHandleCount();

#endif
