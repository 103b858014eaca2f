// The clip source's output pin: its worker takes one frame at a time from the
// supply and delivers it as a sample of the clip's media type.
#ifndef DRAVIK_STAMP_CLIP_STREAM_H
#define DRAVIK_STAMP_CLIP_STREAM_H

#include <string>
#include <vector>

#include "framework/source_stream.h"
#include "tools/dravik_stamp/clip_format.h"
#include "tools/dravik_stamp/frame_supply.h"

class CClipSource;

class CClipStream : public CSourceStream {
public:
    // The supply is the caller's and outlives the stream.
    CClipStream(HRESULT* result, CClipSource* owner, const ClipFormat& format, FrameSupply* supply);
    ~CClipStream() override;

    HRESULT ProduceSample(IMediaSample* sample) override;
    HRESULT DeliveryLoop() override;
    HRESULT SingleMediaType(AM_MEDIA_TYPE* type) override;
    // Any frame time and interlacing, as long as the pictures are the clip's.
    HRESULT CheckPinType(const AM_MEDIA_TYPE* type) override;
    HRESULT ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

    // Waits until the worker has left its delivery loop; false on time-out.
    bool WaitUntilDelivered(DWORD milliseconds);
    // Read after WaitUntilDelivered: why the supply stopped early, empty when it did not.
    const std::string& SupplyError() const { return supplyError_; }
    LONG FramesDelivered() const { return framesDelivered_; }

private:
    const ClipFormat format_;
    FrameSupply* const supply_;
    std::vector<unsigned char> frame_;
    std::string supplyError_;
    long long nextFrame_ = 0;
    volatile LONG framesDelivered_ = 0;
    const HANDLE delivered_;
};

#endif
