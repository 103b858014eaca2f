// The helper filter's logo: a white RGBA image whose transparency comes from
// the module's gray "RAW" 101 resource.
#ifndef DRAVIK_OVERLAY_LOGO_IMAGE_H
#define DRAVIK_OVERLAY_LOGO_IMAGE_H

#include "overlay/video_frame_layout.h"

constexpr LONG LogoImageWidth = 265;
constexpr LONG LogoImageHeight = 41;
constexpr WORD LogoResourceId = 101;

// White (255) is fully transparent; black is at most about half opaque.
constexpr BYTE LogoAlphaFromGray(BYTE gray) { return static_cast<BYTE>((255 - gray) >> 1); }

// Builds the image into a zero-filled record whose width and height are set.
// On success planes[0] is a buffer from AllocateAlignedBuffer that the caller
// frees with FreeAlignedBuffer.
bool BuildLogoImage(VideoFrameLayout* logo);

#endif
