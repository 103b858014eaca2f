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

// What a frame pixel takes from the image pixel above it: the frame keeps the
// weight 256 - a, the image colour comes in with weight 4a + 1.
struct ImageTerms {
    int32_t frameWeight;
    int32_t r;
    int32_t g;
    int32_t b;
};

// image is blue, green, red, alpha.
inline ImageTerms ImageTermsOf(const BYTE* image) {
    const int32_t alpha = image[3];
    const int32_t imageWeight = 4 * alpha + 1;
    return {256 - alpha, image[2] * imageWeight, image[1] * imageWeight, image[0] * imageWeight};
}

// BT.601 limited-range YCbCr to RGB (scaled by 2^15), then the image's terms mixed in.
inline MixedRgb MixYuvPixel(int32_t luma, int32_t u, int32_t v, const ImageTerms& image) {
    const int32_t t = (luma - 16) * 38155;
    const int32_t r4 = (t + (v - 128) * 52299) >> 13;
    const int32_t g4 = (t + 5052928 - 26639 * v - 12837 * u) >> 13;
    const int32_t b4 = (t + (u - 128) * 66101) >> 13;
    return {(r4 * image.frameWeight + image.r) >> 8, (g4 * image.frameWeight + image.g) >> 8,
            (b4 * image.frameWeight + image.b) >> 8};
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

// Two side-by-side pixels sharing U and V, each with its image terms.
// All four bytes are read before any is written.
inline void MixPair(BYTE* y0, BYTE* y1, BYTE* u, BYTE* v, const ImageTerms& left, const ImageTerms& right) {
    const int32_t cb = *u;
    const int32_t cr = *v;
    const MixedRgb mixedLeft = MixYuvPixel(*y0, cb, cr, left);
    const MixedRgb mixedRight = MixYuvPixel(*y1, cb, cr, right);
    const MixedRgb sum = mixedLeft + mixedRight;
    *y0 = LumaOf(mixedLeft);
    *y1 = LumaOf(mixedRight);
    *u = ChromaUOf(sum, 18);
    *v = ChromaVOf(sum, 18);
}

// A 2 x 2 group sharing U and V: luma pairs of the top and bottom rows, image
// terms in the order top-left, top-right, bottom-left, bottom-right.
inline void MixQuad(BYTE* top, BYTE* bottom, BYTE* u, BYTE* v, const ImageTerms* terms) {
    const int32_t cb = *u;
    const int32_t cr = *v;
    const MixedRgb topLeft = MixYuvPixel(top[0], cb, cr, terms[0]);
    const MixedRgb topRight = MixYuvPixel(top[1], cb, cr, terms[1]);
    const MixedRgb bottomLeft = MixYuvPixel(bottom[0], cb, cr, terms[2]);
    const MixedRgb bottomRight = MixYuvPixel(bottom[1], cb, cr, terms[3]);
    const MixedRgb sum = topLeft + topRight + bottomLeft + bottomRight;
    top[0] = LumaOf(topLeft);
    top[1] = LumaOf(topRight);
    bottom[0] = LumaOf(bottomLeft);
    bottom[1] = LumaOf(bottomRight);
    *u = ChromaUOf(sum, 19);
    *v = ChromaVOf(sum, 19);
}

// Under two consecutive image pixels; a fully transparent pair is not touched.
inline void BlendPair(BYTE* y0, BYTE* y1, BYTE* u, BYTE* v, const BYTE* image) {
    if (image[3] == 0 && image[7] == 0) return;
    MixPair(y0, y1, u, v, ImageTermsOf(image), ImageTermsOf(image + 4));
}

// Under image pixel pairs of the top and bottom image rows; a fully
// transparent group is not touched.
inline void BlendQuad(BYTE* top, BYTE* bottom, BYTE* u, BYTE* v, const BYTE* imageTop, const BYTE* imageBottom) {
    if (imageTop[3] == 0 && imageTop[7] == 0 && imageBottom[3] == 0 && imageBottom[7] == 0) return;
    const ImageTerms terms[4] = {ImageTermsOf(imageTop), ImageTermsOf(imageTop + 4), ImageTermsOf(imageBottom),
                                 ImageTermsOf(imageBottom + 4)};
    MixQuad(top, bottom, u, v, terms);
}

// Blue, green and red of one RGB frame pixel; a fourth byte is left alone.
inline void BlendRgbPixel(BYTE* pixel, const BYTE* image) {
    const int32_t alpha = image[3];
    for (int channel = 0; channel < 3; ++channel) {
        pixel[channel] = static_cast<BYTE>((image[channel] * alpha + pixel[channel] * (256 - alpha)) >> 8);
    }
}

#endif
