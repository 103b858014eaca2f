// A clipped, aligned region of a frame and the image pixels that fall on it,
// and the routines that blend one per pixel format family.
#ifndef DRAVIK_OVERLAY_BLEND_REGION_H
#define DRAVIK_OVERLAY_BLEND_REGION_H

#include <windows.h>

struct BlendRegion {
    BYTE* planes[3];
    LONG strides[3];
    LONG sampleStep[3];
    LONG bytesPerPixel;  // RGB frames only
    const BYTE* image;   // the image pixel that lands on (x, y)
    LONG imageStride;
    LONG x;
    LONG y;
    LONG width;
    LONG height;
};

// Each blends the whole region; width and height are positive and even where
// the format groups pixels, and every plane the routine uses is set.
typedef void (*RegionBlender)(const BlendRegion& region);

void BlendYuy2Region(const BlendRegion& region);
void BlendUyvyRegion(const BlendRegion& region);
void BlendPlanar422Region(const BlendRegion& region);
void BlendPlanar420Region(const BlendRegion& region);
void BlendRgbRegion(const BlendRegion& region);

#endif
