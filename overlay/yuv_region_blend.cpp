#include <stddef.h>

#include "overlay/blend_arithmetic.h"
#include "overlay/blend_region.h"

namespace {

BYTE* RowStart(BYTE* plane, LONG stride, LONG row, ptrdiff_t column) {
    return plane + static_cast<ptrdiff_t>(row) * stride + column;
}

const BYTE* ImageRow(const BlendRegion& region, LONG row) {
    return region.image + static_cast<ptrdiff_t>(row) * region.imageStride;
}

// Packed 4:2:2: four bytes per pixel pair, at the offsets the byte order gives.
template <int Y0, int U, int Y1, int V>
void BlendPackedRegion(const BlendRegion& region) {
    const LONG pairs = region.width / 2;
    for (LONG i = 0; i < region.height; ++i) {
        BYTE* row = RowStart(region.planes[0], region.strides[0], region.y + i, 2 * static_cast<ptrdiff_t>(region.x));
        const BYTE* image = ImageRow(region, i);
        for (LONG j = 0; j < pairs; ++j) {
            BYTE* pair = row + 4 * static_cast<ptrdiff_t>(j);
            BlendPair(pair + Y0, pair + Y1, pair + U, pair + V, image + 8 * static_cast<ptrdiff_t>(j));
        }
    }
}

BYTE* ChromaSample(const BlendRegion& region, int plane, LONG row, LONG group) {
    return RowStart(region.planes[plane], region.strides[plane], row,
                    (static_cast<ptrdiff_t>(region.x / 2) + group) * region.sampleStep[plane]);
}

}  // namespace

void BlendYuy2Region(const BlendRegion& region) { BlendPackedRegion<0, 1, 2, 3>(region); }

void BlendUyvyRegion(const BlendRegion& region) { BlendPackedRegion<1, 0, 3, 2>(region); }

void BlendPlanar422Region(const BlendRegion& region) {
    const LONG pairs = region.width / 2;
    for (LONG i = 0; i < region.height; ++i) {
        const LONG row = region.y + i;
        BYTE* luma = RowStart(region.planes[0], region.strides[0], row, region.x);
        const BYTE* image = ImageRow(region, i);
        for (LONG j = 0; j < pairs; ++j) {
            BYTE* pair = luma + 2 * static_cast<ptrdiff_t>(j);
            BlendPair(pair, pair + 1, ChromaSample(region, 1, row, j), ChromaSample(region, 2, row, j),
                      image + 8 * static_cast<ptrdiff_t>(j));
        }
    }
}

void BlendPlanar420Region(const BlendRegion& region) {
    const LONG groups = region.width / 2;
    for (LONG r = 0; r < region.height; r += 2) {
        const LONG row = region.y + r;
        BYTE* top = RowStart(region.planes[0], region.strides[0], row, region.x);
        BYTE* bottom = RowStart(region.planes[0], region.strides[0], row + 1, region.x);
        const BYTE* imageTop = ImageRow(region, r);
        const BYTE* imageBottom = ImageRow(region, r + 1);
        for (LONG j = 0; j < groups; ++j) {
            const ptrdiff_t luma = 2 * static_cast<ptrdiff_t>(j);
            const ptrdiff_t pixel = 8 * static_cast<ptrdiff_t>(j);
            BlendQuad(top + luma, bottom + luma, ChromaSample(region, 1, row / 2, j),
                      ChromaSample(region, 2, row / 2, j), imageTop + pixel, imageBottom + pixel);
        }
    }
}
