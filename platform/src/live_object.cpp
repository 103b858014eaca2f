#include "live_object.h"

#include <atomic>

#include "platform_live_objects.h"

namespace {
std::atomic<LONG> liveObjects{0};
}  // namespace

PlatformLiveObject::PlatformLiveObject() { ++liveObjects; }

PlatformLiveObject::~PlatformLiveObject() { --liveObjects; }

LONG PlatformLiveObjectCount() { return liveObjects.load(); }
