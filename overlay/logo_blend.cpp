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

bool IsPlanar420(DWORD fourcc) {
    return fourcc == FourccYv12 || fourcc == FourccIyuv || fourcc == FourccNv12 || fourcc == FourccI420 ||
           fourcc == FourccP420;
}

// The routine for the frame's format, or null when nothing is drawn on it.
// Chroma-carrying formats need their chroma planes; without them nothing is drawn.
RegionBlender ResolveBlender(const VideoFrameLayout& frame) {
    const bool chroma = frame.planes[1] != nullptr && frame.planes[2] != nullptr;
    if (IsPlanar420(frame.fourcc)) return chroma ? BlendPlanar420Region : nullptr;
    switch (frame.fourcc) {
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

// The part of the image that lands on the frame, aligned to the format's pixel groups.
struct Placement {
    LONG x;
    LONG y;
    LONG width;
    LONG height;
    LONG imageColumn;  // the image pixel at (x, y)
    LONG imageRow;
};

// False when nothing of the image is left on the frame.
bool Place(const VideoFrameLayout& frame, LONG imageWidth, LONG imageHeight, LONG x, LONG y, Placement* placement) {
    // Clipping in 64 bits: x and y may lie anywhere.
    int64_t left = x;
    int64_t top = y;
    int64_t width = imageWidth;
    int64_t height = imageHeight;
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
    if (left + width > frame.width) width = frame.width - left;
    if (top + height > frame.height) height = frame.height - top;

    if (frame.fourcc != FourccRgb) {
        width &= ~int64_t{1};
        left &= ~int64_t{1};
    }
    // Planar 4:2:0 is taken in whole row pairs whatever bit count the frame declares.
    if (frame.bitCount == 12 || IsPlanar420(frame.fourcc)) {
        height &= ~int64_t{1};
        top &= ~int64_t{1};
    }
    if (width <= 0 || height <= 0) return false;
    *placement = {static_cast<LONG>(left),   static_cast<LONG>(top),         static_cast<LONG>(width),
                  static_cast<LONG>(height), static_cast<LONG>(imageColumn), static_cast<LONG>(imageRow)};
    return true;
}

bool RefusesFrame(const VideoFrameLayout& frame) {
    return frame.fourcc == FourccRgb && frame.bitCount != 24 && frame.bitCount != 32;
}

void BlendRegionOf(const VideoFrameLayout& frame, const VideoFrameLayout& image, const Placement& placement,
                   RegionBlender blender) {
    BlendRegion region;
    for (int plane = 0; plane < 3; ++plane) {
        region.planes[plane] = frame.planes[plane];
        region.strides[plane] = frame.strides[plane];
        region.sampleStep[plane] = frame.sampleStep[plane];
    }
    region.bytesPerPixel = frame.bitCount / 8;
    region.image = image.planes[0] + static_cast<ptrdiff_t>(placement.imageRow) * image.strides[0] +
                   static_cast<ptrdiff_t>(placement.imageColumn) * 4;
    region.imageStride = image.strides[0];
    region.x = placement.x;
    region.y = placement.y;
    region.width = placement.width;
    region.height = placement.height;
    blender(region);
}

BYTE* RowAt(BYTE* plane, LONG stride, LONG row, ptrdiff_t column) {
    return plane + static_cast<ptrdiff_t>(row) * stride + column;
}

// Calls blend(first, count) for the parts of a row's runs that fall in
// units [offset, offset + units), counted from offset; runs at most gap
// units apart go as one.
template <class Blend>
void ForEachRunIn(const UnitRun* run, const UnitRun* end, LONG offset, LONG units, LONG gap, const Blend& blend) {
    while (run != end && run->end <= offset) ++run;
    while (run != end && run->begin - offset < units) {
        const LONG first = run->begin > offset ? run->begin - offset : 0;
        LONG last = run->end - offset;
        for (++run; run != end && run->begin - offset < units && run->begin - offset - last <= gap; ++run) {
            last = run->end - offset;
        }
        blend(first, (last < units ? last : units) - first);
    }
}

void BlendPreparedRgb(const VideoFrameLayout& frame, const PreparedImage& image, const Placement& placement,
                      RgbRowBlender blend, LONG gap) {
    const LONG bytesPerPixel = frame.bitCount / 8;
    const ptrdiff_t imageByte = static_cast<ptrdiff_t>(placement.imageColumn) * bytesPerPixel;
    for (LONG i = 0; i < placement.height; ++i) {
        const LONG imageRow = placement.imageRow + i;
        // A negative stride still counts rows from the top of the picture.
        const RgbRowSpan span = {RowAt(frame.planes[0], frame.strides[0], placement.y + i,
                                       static_cast<ptrdiff_t>(placement.x) * bytesPerPixel),
                                 image.RgbAlpha(bytesPerPixel, imageRow) + imageByte,
                                 image.RgbColour(bytesPerPixel, imageRow) + imageByte, placement.width * bytesPerPixel};
        const RunTable& runs = image.PixelRuns();
        ForEachRunIn(runs.Begin(imageRow), runs.End(imageRow), placement.imageColumn, placement.width, 2 * gap,
                     [&](LONG first, LONG count) { blend(span, first * bytesPerPixel, count * bytesPerPixel); });
    }
}

// The rows for a YUV frame's layout; null when it takes the group-by-group path.
YuvRowBlender YuvRowsFor(const VideoFrameLayout& frame, const BlendRows& rows) {
    if (frame.fourcc == FourccYuy2) return rows.yuy2;
    if (frame.fourcc == FourccUyvy || frame.fourcc == FourccHdyc) return rows.uyvy;
    const bool separate = frame.sampleStep[1] == 1 && frame.sampleStep[2] == 1;
    if (frame.fourcc == FourccP422) return separate ? rows.planar422 : nullptr;
    if (separate) return rows.planar420;
    const bool interleaved = frame.sampleStep[1] == 2 && frame.sampleStep[2] == 2 &&
                             frame.planes[2] == frame.planes[1] + 1 && frame.strides[1] == frame.strides[2];
    return interleaved ? rows.semiPlanar420 : nullptr;
}

void BlendPreparedYuv(const VideoFrameLayout& frame, const PreparedImage& image, const Placement& placement,
                      YuvRowBlender blend, LONG gap) {
    const bool quads = IsPlanar420(frame.fourcc);
    const bool packed = frame.fourcc == FourccYuy2 || frame.fourcc == FourccUyvy || frame.fourcc == FourccHdyc;
    const LONG rowsPerGroup = quads ? 2 : 1;
    const LONG parity = placement.imageColumn & 1;
    const ptrdiff_t firstTerm = placement.imageColumn >> 1;
    const RunTable& runs = image.PairRuns(parity, rowsPerGroup);
    YuvRowSpan span{};
    span.termStride = image.TermStride();
    span.groups = placement.width / 2;
    for (LONG i = 0; i < placement.height; i += rowsPerGroup) {
        const LONG row = placement.y + i;
        const LONG imageRow = placement.imageRow + i;
        const LONG chromaRow = quads ? row / 2 : row;
        const ptrdiff_t lumaColumn = packed ? 2 * static_cast<ptrdiff_t>(placement.x) : placement.x;
        const ptrdiff_t chromaColumn = static_cast<ptrdiff_t>(placement.x / 2) * frame.sampleStep[1];
        span.luma[0] = RowAt(frame.planes[0], frame.strides[0], row, lumaColumn);
        span.luma[1] = quads ? RowAt(frame.planes[0], frame.strides[0], row + 1, lumaColumn) : nullptr;
        span.u = packed ? nullptr : RowAt(frame.planes[1], frame.strides[1], chromaRow, chromaColumn);
        span.v = packed ? nullptr
                        : RowAt(frame.planes[2], frame.strides[2], chromaRow,
                                static_cast<ptrdiff_t>(placement.x / 2) * frame.sampleStep[2]);
        span.terms[0] = image.Terms(imageRow, parity) + firstTerm;
        span.terms[1] = quads ? image.Terms(imageRow + 1, parity) + firstTerm : nullptr;
        ForEachRunIn(runs.Begin(imageRow), runs.End(imageRow), static_cast<LONG>(firstTerm), span.groups, gap,
                     [&](LONG first, LONG count) { blend(span, first, count); });
    }
}

}  // namespace

bool BlendImage(const VideoFrameLayout* frame, const VideoFrameLayout* image, LONG x, LONG y) {
    if (frame == nullptr || image == nullptr || !AcceptsImage(*image)) return false;
    if (RefusesFrame(*frame)) return false;
    const RegionBlender blender = ResolveBlender(*frame);
    Placement placement;
    if (blender == nullptr || frame->planes[0] == nullptr ||
        !Place(*frame, image->width, image->height, x, y, &placement)) {
        return true;
    }
    BlendRegionOf(*frame, *image, placement, blender);
    return true;
}

bool DrawLogo(const VideoFrameLayout* frame, const VideoFrameLayout* logo) {
    if (frame == nullptr || logo == nullptr) return false;
    const LONG x = static_cast<LONG>((int64_t{frame->width} - logo->width) >> 1);
    return BlendImage(frame, logo, x, frame->height >> 4);
}

bool BlendPreparedImage(const VideoFrameLayout* frame, const PreparedImage& image, LONG x, LONG y,
                        const BlendRows& rows) {
    if (frame == nullptr || !image.Ready()) return false;
    if (RefusesFrame(*frame)) return false;
    const VideoFrameLayout& source = image.Source();
    const RegionBlender blender = ResolveBlender(*frame);
    Placement placement;
    if (blender == nullptr || frame->planes[0] == nullptr ||
        !Place(*frame, source.width, source.height, x, y, &placement)) {
        return true;
    }
    if (frame->fourcc == FourccRgb) {
        BlendPreparedRgb(*frame, image, placement, rows.rgb, rows.bridgedGap);
        return true;
    }
    const YuvRowBlender yuvRows = YuvRowsFor(*frame, rows);
    if (yuvRows == nullptr) {
        BlendRegionOf(*frame, source, placement, blender);
    } else {
        BlendPreparedYuv(*frame, image, placement, yuvRows, rows.bridgedGap);
    }
    return true;
}

bool DrawPreparedLogo(const VideoFrameLayout* frame, const PreparedImage& logo, const BlendRows& rows) {
    if (frame == nullptr || !logo.Ready()) return false;
    const LONG x = static_cast<LONG>((int64_t{frame->width} - logo.Source().width) >> 1);
    return BlendPreparedImage(frame, logo, x, frame->height >> 4, rows);
}
