// Where the pixels of one video picture lie in memory.
#ifndef DRAVIK_OVERLAY_VIDEO_FRAME_LAYOUT_H
#define DRAVIK_OVERLAY_VIDEO_FRAME_LAYOUT_H

#include <windows.h>

// Zero-filled when created; a zero field counts as not yet known. Plane 0 is
// luma (or the only plane), plane 1 Cb (U), plane 2 Cr (V). Plane pointers
// address the top row of the picture; strides are negative for bottom-up rows.
struct VideoFrameLayout {
    LONG width;
    LONG height;
    LONG bitCount;
    LONG sampleStep[3];
    DWORD fourcc;
    BYTE* planes[3];
    LONG strides[3];
};

#endif
