// Describing the video frame a media sample carries.
#ifndef DRAVIK_OVERLAY_FRAME_DESCRIPTION_H
#define DRAVIK_OVERLAY_FRAME_DESCRIPTION_H

#include <windows.h>
#include <dshow.h>

#include "overlay/video_frame_layout.h"

// Fills the layout (zero or preset fields) from the stream's media type and,
// when a sample is given, its buffer or planes. False when the type is not
// understood, its format block is missing or short, a size, stride or offset
// leaves 32 bits, or the frame would not fit in the sample's buffer (planes
// obtained through ISamplePlanes included: those outside it cannot be
// checked and are refused); the layout must then not be used, and planes
// obtained through ISamplePlanes have been given back. "P420", "P422" and
// "P444" are described only through ISamplePlanes.
bool DescribeFrame(VideoFrameLayout* frame, const AM_MEDIA_TYPE* type, IMediaSample* sample);

#endif
