// Between YUV4MPEG2's planar frames and the packed layout the helper filter
// gets for 4:2:2 (YUY2: Y0 U Y1 V). 4:2:0 frames are already I420 as they stand.
#ifndef DRAVIK_STAMP_FRAME_PACKING_H
#define DRAVIK_STAMP_FRAME_PACKING_H

#include "tools/dravik_stamp/clip_format.h"

// Both buffers hold format.FrameSize() bytes; the width is even.
void PackPlanar422ToYuy2(const ClipFormat& format, const unsigned char* planar, unsigned char* packed);
void UnpackYuy2ToPlanar422(const ClipFormat& format, const unsigned char* packed, unsigned char* planar);

#endif
