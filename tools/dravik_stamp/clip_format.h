// What a YUV4MPEG2 stream says about its pictures, and the size of one frame.
#ifndef DRAVIK_STAMP_CLIP_FORMAT_H
#define DRAVIK_STAMP_CLIP_FORMAT_H

#include <cstddef>
#include <string>
#include <vector>

enum class ChromaLayout { Planar420, Planar422 };

struct ClipFormat {
    int width = 0;
    int height = 0;
    ChromaLayout chroma = ChromaLayout::Planar420;
    // The colour-space tag as written after 'C' ("420jpeg", "422", ...); empty when absent.
    std::string colourTag;
    long long rateNumerator = 0;
    long long rateDenominator = 0;
    // The 'I' tag: p, t, b, m or ? (unknown).
    char interlace = '?';
    // The 'A' tag's value ("1:1"); empty when absent.
    std::string aspect;
    // Every other header field, verbatim and in order ("XCOLORRANGE=LIMITED", ...).
    std::vector<std::string> extraFields;

    int ChromaWidth() const { return (width + 1) / 2; }
    int ChromaHeight() const { return chroma == ChromaLayout::Planar420 ? (height + 1) / 2 : height; }
    size_t LumaSize() const { return static_cast<size_t>(width) * height; }
    size_t ChromaPlaneSize() const { return static_cast<size_t>(ChromaWidth()) * ChromaHeight(); }
    // Y, then Cb, then Cr, as a YUV4MPEG2 frame stores them.
    size_t FrameSize() const { return LumaSize() + 2 * ChromaPlaneSize(); }
};

// Frame times count 100-ns units.
constexpr long long UnitsPerSecond = 10000000;

// How long a frame lasts at numerator:denominator frames a second, rounded to nearest.
inline long long FrameTimeFromRate(long long numerator, long long denominator) {
    return (UnitsPerSecond * denominator + numerator / 2) / numerator;
}

#endif
