// A YUV4MPEG2 frame as 8-bit RGB for snapshots (BT.601, limited range).
#ifndef DRAVIK_STAMP_RGB_PICTURE_H
#define DRAVIK_STAMP_RGB_PICTURE_H

#include <vector>

#include "tools/dravik_stamp/clip_format.h"

// Rows top-down, three bytes a pixel in the order red, green, blue; each pixel
// takes the chroma sample that covers it.
std::vector<unsigned char> FrameToRgb(const ClipFormat& format, const unsigned char* planar);

#endif
