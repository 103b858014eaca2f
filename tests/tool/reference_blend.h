// An independent per-pixel computation of the stamped logo on YUV4MPEG2
// frames, written from the overlay's formulas, to check the tool against.
#ifndef DRAVIK_TESTS_TOOL_REFERENCE_BLEND_H
#define DRAVIK_TESTS_TOOL_REFERENCE_BLEND_H

#include <vector>

#include "tools/dravik_stamp/clip_format.h"

// The logo resource: 265 x 41 gray bytes, read from resources/logo.raw.
std::vector<unsigned char> LoadLogoGray();

// Blends the logo onto one frame in YUV4MPEG2 plane order, as the helper
// filter does on the I420 (4:2:0) or YUY2 (4:2:2) sample carrying it.
void ReferenceStamp(const ClipFormat& format, const std::vector<unsigned char>& logoGray, unsigned char* frame);

#endif
