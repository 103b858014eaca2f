// The source filter of the tool: one stream that plays the clip.
#ifndef DRAVIK_STAMP_CLIP_SOURCE_FILTER_H
#define DRAVIK_STAMP_CLIP_SOURCE_FILTER_H

#include "framework/source_filter.h"
#include "tools/dravik_stamp/clip_stream.h"

class CClipSource : public CSource {
public:
    // The supply is the caller's and outlives the filter; the result slot gets
    // a failure when the stream cannot be made.
    CClipSource(const ClipFormat& format, FrameSupply* supply, HRESULT* result);

    // The filter's one stream; null when it could not be made.
    CClipStream* Stream() const { return stream_; }

private:
    CClipStream* stream_;
};

#endif
