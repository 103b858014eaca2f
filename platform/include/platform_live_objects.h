// Native only: how many of the platform layer's streaming objects (memory
// allocators, seeking pass-throughs, filter graphs and their enumerators) are
// alive, so that tests can see that every reference was released.
#ifndef PLATFORM_LIVE_OBJECTS_H
#define PLATFORM_LIVE_OBJECTS_H

#include <windows.h>

LONG PlatformLiveObjectCount();

#endif
