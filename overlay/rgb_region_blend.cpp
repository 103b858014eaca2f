#include <stddef.h>

#include "overlay/blend_arithmetic.h"
#include "overlay/blend_region.h"

void BlendRgbRegion(const BlendRegion& region) {
    const ptrdiff_t step = region.bytesPerPixel;
    for (LONG i = 0; i < region.height; ++i) {
        // A negative stride still counts rows from the top of the picture.
        BYTE* pixel = region.planes[0] + static_cast<ptrdiff_t>(region.y + i) * region.strides[0] +
                      static_cast<ptrdiff_t>(region.x) * step;
        const BYTE* image = region.image + static_cast<ptrdiff_t>(i) * region.imageStride;
        for (LONG j = 0; j < region.width; ++j, pixel += step, image += 4) BlendRgbPixel(pixel, image);
    }
}
