// The per-row work of the blend with a prepared image, one routine per pixel
// format family, in a plain reference version and in vector versions that
// give the same bytes. One table per version; the process uses the best one
// its processor runs, or the one DRAVIK_CPU names.
#ifndef DRAVIK_OVERLAY_BLEND_ROWS_H
#define DRAVIK_OVERLAY_BLEND_ROWS_H

#include <windows.h>
#include <stdint.h>

// One region row (4:2:0: row pair) of a YUV frame, at the region's first pixel group.
struct YuvRowSpan {
    // Packed formats: the row in luma[0]. Planar and semi-planar: the luma
    // row(s); 4:2:0 has the bottom row in luma[1].
    BYTE* luma[2];
    // Planar: the U and V samples. Semi-planar: U and V interleaved at u.
    BYTE* u;
    BYTE* v;
    // Image terms of the top and bottom image rows at the first group (see PreparedImage::Terms).
    const int32_t* terms[2];
    LONG termStride;
    // Groups in the region row: a routine may rewrite groups up to here with
    // their own bytes, never past it.
    LONG groups;
};

// One region row of an RGB frame, at its first byte, with the image's
// per-byte alpha and colour.
struct RgbRowSpan {
    BYTE* pixels;
    const BYTE* alpha;
    const BYTE* colour;
    LONG bytes;
};

// Blend groups (RGB: bytes) [first, first + count) of the span. A group
// whose image pixels are all transparent keeps its bytes.
typedef void (*YuvRowBlender)(const YuvRowSpan& span, LONG first, LONG count);
typedef void (*RgbRowBlender)(const RgbRowSpan& span, LONG first, LONG count);

struct BlendRows {
    YuvRowBlender yuy2;           // Y0 U Y1 V
    YuvRowBlender uyvy;           // U Y0 V Y1
    YuvRowBlender planar422;      // separate U and V planes, one sample per pair
    YuvRowBlender planar420;      // separate U and V planes, one sample per 2 x 2 group
    YuvRowBlender semiPlanar420;  // U and V interleaved, one pair per 2 x 2 group
    RgbRowBlender rgb;            // 3 or 4 bytes per pixel
    // Runs of visible groups (RGB: pixels) this close are blended as one:
    // wide vectors lose less to a few transparent lanes than to short runs.
    LONG bridgedGap;
};

enum class BlendVariant { Reference, Sse41, Avx2, Avx512, Count };

// "c", "sse4.1", "avx2", "avx512".
const char* BlendVariantName(BlendVariant variant);
// Null when this processor (or its operating system) cannot run the variant.
const BlendRows* BlendRowsOf(BlendVariant variant);
// Chosen once per process: the best variant the processor runs, or, when
// DRAVIK_CPU names a variant, the best one not above it.
BlendVariant DispatchedBlendVariant();
const BlendRows& DispatchedBlendRows();

// The tables themselves; only BlendRowsOf checks whether they can run.
extern const BlendRows ReferenceBlendRows;
extern const BlendRows Sse41BlendRows;
extern const BlendRows Avx2BlendRows;
extern const BlendRows Avx512BlendRows;

#endif
