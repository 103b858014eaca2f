// The media type the clip travels in through the graph (VIDEOINFOHEADER2 with
// I420 for 4:2:0, YUY2 for 4:2:2) and the YUV4MPEG2 fields it carries.
#ifndef DRAVIK_STAMP_VIDEO_MEDIA_TYPE_H
#define DRAVIK_STAMP_VIDEO_MEDIA_TYPE_H

#include <dshow.h>

#include "framework/media_type.h"
#include "tools/dravik_stamp/clip_format.h"

DWORD InterlaceFlagsFromTag(char tag);
// Not interlaced 'p'; bob-or-weave 'm'; field 1 first 't'; otherwise 'b'.
char InterlaceTagFromFlags(DWORD flags);

HRESULT BuildVideoType(const ClipFormat& format, COwnedMediaType* type);

// Whether the type carries frames of the clip's size and layout; the frame time
// and interlace flags may differ and are reported (flags 0 for VIDEOINFOHEADER).
bool ReadVideoType(const AM_MEDIA_TYPE& type, const ClipFormat& format, REFERENCE_TIME* frameTime, DWORD* interlaceFlags);

// The input's format with the frame rate and interlace tag the type now says;
// fields the type leaves as the input had them keep their exact text.
ClipFormat FormatWithTiming(const ClipFormat& input, REFERENCE_TIME frameTime, DWORD interlaceFlags);

#endif
