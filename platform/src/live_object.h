// Counts one live platform object for as long as it exists.
#ifndef PLATFORM_LIVE_OBJECT_H
#define PLATFORM_LIVE_OBJECT_H

class PlatformLiveObject {
public:
    PlatformLiveObject();
    ~PlatformLiveObject();
    PlatformLiveObject(const PlatformLiveObject&) = delete;
    PlatformLiveObject& operator=(const PlatformLiveObject&) = delete;
};

#endif
