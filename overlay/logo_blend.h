// Blending a semi-transparent RGBA image onto a video frame in place.
#ifndef DRAVIK_OVERLAY_LOGO_BLEND_H
#define DRAVIK_OVERLAY_LOGO_BLEND_H

#include "overlay/blend_rows.h"
#include "overlay/prepared_image.h"
#include "overlay/video_frame_layout.h"

// Blends the image with its top-left pixel at column x, row y of the picture
// (row 0 at the top), clipped to the frame. False only when the image is not
// 32-bit RGBA or the frame is RGB of other than 24 or 32 bits; frames of
// formats that are not drawn on are left untouched with true. Works group by
// group from the image itself.
bool BlendImage(const VideoFrameLayout* frame, const VideoFrameLayout* image, LONG x, LONG y);

// The logo centred horizontally, a sixteenth of the height from the top.
bool DrawLogo(const VideoFrameLayout* frame, const VideoFrameLayout* logo);

// The same bytes as BlendImage and DrawLogo, from an image prepared once, with
// the given rows (by default the ones this process chose). False also when
// the image is not prepared.
bool BlendPreparedImage(const VideoFrameLayout* frame, const PreparedImage& image, LONG x, LONG y,
                        const BlendRows& rows = DispatchedBlendRows());
bool DrawPreparedLogo(const VideoFrameLayout* frame, const PreparedImage& logo,
                      const BlendRows& rows = DispatchedBlendRows());

#endif
