// Blending a semi-transparent RGBA image onto a video frame in place.
#ifndef DRAVIK_OVERLAY_LOGO_BLEND_H
#define DRAVIK_OVERLAY_LOGO_BLEND_H

#include "overlay/video_frame_layout.h"

// Blends the image with its top-left pixel at column x, row y of the picture
// (row 0 at the top), clipped to the frame. False only when the image is not
// 32-bit RGBA or the frame is RGB of other than 24 or 32 bits; frames of
// formats that are not drawn on are left untouched with true.
bool BlendImage(const VideoFrameLayout* frame, const VideoFrameLayout* image, LONG x, LONG y);

// The logo centred horizontally, a sixteenth of the height from the top.
bool DrawLogo(const VideoFrameLayout* frame, const VideoFrameLayout* logo);

#endif
