#include "overlay/logo_blend.h"

#include <stddef.h>
#include <stdint.h>

#include "overlay/blend_region.h"
#include "overlay/pixel_formats.h"

namespace {

bool AcceptsImage(const VideoFrameLayout& image) {
    const bool rgba = image.fourcc == FourccRgba || image.fourcc == FourccRgb || image.fourcc == FourccBitFields;
    return rgba && image.bitCount == 32 && image.planes[0] != nullptr;
}

// The routine for the frame's format, or null when nothing is drawn on it.
// Chroma-carrying formats need their chroma planes; without them nothing is drawn.
RegionBlender ResolveBlender(const VideoFrameLayout& frame) {
    const bool chroma = frame.planes[1] != nullptr && frame.planes[2] != nullptr;
    switch (frame.fourcc) {
        case FourccYv12:
        case FourccIyuv:
        case FourccNv12:
        case FourccI420:
        case FourccP420:
            return chroma ? BlendPlanar420Region : nullptr;
        case FourccUyvy:
        case FourccHdyc:
            return BlendUyvyRegion;
        case FourccYuy2:
            return BlendYuy2Region;
        case FourccP422:
            return chroma ? BlendPlanar422Region : nullptr;
        case FourccRgb:
            return BlendRgbRegion;
        default:
            return nullptr;
    }
}

}  // namespace

bool BlendImage(const VideoFrameLayout* frame, const VideoFrameLayout* image, LONG x, LONG y) {
    if (frame == nullptr || image == nullptr || !AcceptsImage(*image)) return false;
    if (frame->fourcc == FourccRgb && frame->bitCount != 24 && frame->bitCount != 32) return false;

    // Clipping in 64 bits: x and y may lie anywhere.
    int64_t left = x;
    int64_t top = y;
    int64_t width = image->width;
    int64_t height = image->height;
    int64_t imageColumn = 0;
    int64_t imageRow = 0;
    if (left < 0) {
        imageColumn = -left;
        width += left;
        left = 0;
    }
    if (top < 0) {
        imageRow = -top;
        height += top;
        top = 0;
    }
    if (left + width > frame->width) width = frame->width - left;
    if (top + height > frame->height) height = frame->height - top;

    if (frame->fourcc != FourccRgb) {
        width &= ~int64_t{1};
        left &= ~int64_t{1};
    }
    const bool rowPairs = frame->fourcc == FourccYv12 || frame->fourcc == FourccIyuv || frame->fourcc == FourccNv12 ||
                          frame->fourcc == FourccI420 || frame->fourcc == FourccP420;
    // Planar 4:2:0 is taken in whole row pairs whatever bit count the frame declares.
    if (frame->bitCount == 12 || rowPairs) {
        height &= ~int64_t{1};
        top &= ~int64_t{1};
    }

    const RegionBlender blender = ResolveBlender(*frame);
    if (blender == nullptr || frame->planes[0] == nullptr || width <= 0 || height <= 0) return true;

    BlendRegion region;
    for (int plane = 0; plane < 3; ++plane) {
        region.planes[plane] = frame->planes[plane];
        region.strides[plane] = frame->strides[plane];
        region.sampleStep[plane] = frame->sampleStep[plane];
    }
    region.bytesPerPixel = frame->bitCount / 8;
    region.image = image->planes[0] + static_cast<ptrdiff_t>(imageRow) * image->strides[0] +
                   static_cast<ptrdiff_t>(imageColumn) * 4;
    region.imageStride = image->strides[0];
    region.x = static_cast<LONG>(left);
    region.y = static_cast<LONG>(top);
    region.width = static_cast<LONG>(width);
    region.height = static_cast<LONG>(height);
    blender(region);
    return true;
}

bool DrawLogo(const VideoFrameLayout* frame, const VideoFrameLayout* logo) {
    if (frame == nullptr || logo == nullptr) return false;
    const LONG x = static_cast<LONG>((int64_t{frame->width} - logo->width) >> 1);
    return BlendImage(frame, logo, x, frame->height >> 4);
}
