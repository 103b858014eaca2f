// Buffers of the overlay's own for a picture of a known layout.
#ifndef DRAVIK_OVERLAY_FRAME_BUFFER_H
#define DRAVIK_OVERLAY_FRAME_BUFFER_H

#include "overlay/video_frame_layout.h"

// Bytes a buffer needs for the layout's width, height, bitCount and fourcc.
// False for an unknown format code, a non-positive dimension, a packed 4:2:2
// bit count below 16 (the blend takes two bytes a pixel) or a size beyond 32 bits.
bool FrameBufferSize(const VideoFrameLayout* frame, LONG* size);

// Lays a buffer of FrameBufferSize bytes out: sets planes, strides and sampleStep.
// Rows start on 16-byte boundaries ("v210": 128) when the buffer does, run
// top-down, and the planes follow each other without gaps.
bool AttachFrameBuffer(VideoFrameLayout* frame, BYTE* buffer);

#endif
