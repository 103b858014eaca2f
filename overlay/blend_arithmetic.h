// The exact integer arithmetic of the logo blend, one pixel group at a time.
// This is the reference: a faster version must give the same bytes.
#ifndef DRAVIK_OVERLAY_BLEND_ARITHMETIC_H
#define DRAVIK_OVERLAY_BLEND_ARITHMETIC_H

#include <windows.h>
#include <stdint.h>

// A frame pixel after mixing in the image colour, at four times the 8-bit scale.
struct MixedRgb {
    int32_t r;
    int32_t g;
    int32_t b;
};

inline MixedRgb operator+(const MixedRgb& a, const MixedRgb& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

// BT.601 limited-range YCbCr to RGB (scaled by 2^15), then the image pixel
// (blue, green, red, alpha) mixed in with weights 256 - a and 4a + 1.
inline MixedRgb MixYuvPixel(int32_t luma, int32_t u, int32_t v, const BYTE* image) {
    const int32_t t = (luma - 16) * 38155;
    const int32_t r4 = (t + (v - 128) * 52299) >> 13;
    const int32_t g4 = (t + 5052928 - 26639 * v - 12837 * u) >> 13;
    const int32_t b4 = (t + (u - 128) * 66101) >> 13;
    const int32_t alpha = image[3];
    const int32_t frameWeight = 256 - alpha;
    const int32_t imageWeight = 4 * alpha + 1;
    return {(r4 * frameWeight + image[2] * imageWeight) >> 8, (g4 * frameWeight + image[1] * imageWeight) >> 8,
            (b4 * frameWeight + image[0] * imageWeight) >> 8};
}

// Nothing is clamped: a result byte is the low 8 bits of its value.
inline BYTE LumaOf(const MixedRgb& c) {
    return static_cast<BYTE>(((8414 * c.r + 16519 * c.g + 3208 * c.b) >> 17) + 16);
}

// sum is over the group sharing the chroma sample; shift 18 averages two pixels, 19 four.
inline BYTE ChromaUOf(const MixedRgb& sum, int shift) {
    return static_cast<BYTE>(((14392 * sum.b - 9535 * sum.g - 4857 * sum.r) >> shift) + 128);
}

inline BYTE ChromaVOf(const MixedRgb& sum, int shift) {
    return static_cast<BYTE>(((14392 * sum.r - 12052 * sum.g - 2341 * sum.b) >> shift) + 128);
}

// Two side-by-side pixels sharing U and V, under two consecutive image pixels.
// All four bytes are read before any is written; a fully transparent pair is not touched.
inline void BlendPair(BYTE* y0, BYTE* y1, BYTE* u, BYTE* v, const BYTE* image) {
    if (image[3] == 0 && image[7] == 0) return;
    const int32_t cb = *u;
    const int32_t cr = *v;
    const MixedRgb left = MixYuvPixel(*y0, cb, cr, image);
    const MixedRgb right = MixYuvPixel(*y1, cb, cr, image + 4);
    const MixedRgb sum = left + right;
    *y0 = LumaOf(left);
    *y1 = LumaOf(right);
    *u = ChromaUOf(sum, 18);
    *v = ChromaVOf(sum, 18);
}

// A 2 x 2 group sharing U and V: luma pairs of the top and bottom rows under
// image pixel pairs of the top and bottom image rows.
inline void BlendQuad(BYTE* top, BYTE* bottom, BYTE* u, BYTE* v, const BYTE* imageTop, const BYTE* imageBottom) {
    if (imageTop[3] == 0 && imageTop[7] == 0 && imageBottom[3] == 0 && imageBottom[7] == 0) return;
    const int32_t cb = *u;
    const int32_t cr = *v;
    const MixedRgb topLeft = MixYuvPixel(top[0], cb, cr, imageTop);
    const MixedRgb topRight = MixYuvPixel(top[1], cb, cr, imageTop + 4);
    const MixedRgb bottomLeft = MixYuvPixel(bottom[0], cb, cr, imageBottom);
    const MixedRgb bottomRight = MixYuvPixel(bottom[1], cb, cr, imageBottom + 4);
    const MixedRgb sum = topLeft + topRight + bottomLeft + bottomRight;
    top[0] = LumaOf(topLeft);
    top[1] = LumaOf(topRight);
    bottom[0] = LumaOf(bottomLeft);
    bottom[1] = LumaOf(bottomRight);
    *u = ChromaUOf(sum, 19);
    *v = ChromaVOf(sum, 19);
}

// Blue, green and red of one RGB frame pixel; a fourth byte is left alone.
inline void BlendRgbPixel(BYTE* pixel, const BYTE* image) {
    const int32_t alpha = image[3];
    for (int channel = 0; channel < 3; ++channel) {
        pixel[channel] = static_cast<BYTE>((image[channel] * alpha + pixel[channel] * (256 - alpha)) >> 8);
    }
}

#endif
