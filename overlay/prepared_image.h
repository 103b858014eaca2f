// What the blend needs of an RGBA image, worked out once when the image is
// built rather than on every frame: the per-pixel terms of the YUV mix laid
// out by pixel group, the runs of visible pixels per row, and per-byte alpha
// and colour for RGB frames.
#ifndef DRAVIK_OVERLAY_PREPARED_IMAGE_H
#define DRAVIK_OVERLAY_PREPARED_IMAGE_H

#include <stdint.h>

#include <memory>

#include "overlay/video_frame_layout.h"

// Units [begin, end) of a row: pixels, or pixel groups.
struct UnitRun {
    LONG begin;
    LONG end;
};

// Per row, the runs of visible units, left to right.
class RunTable {
public:
    // visible holds rows x units flags. False when memory is short.
    bool Build(const bool* visible, LONG rows, LONG units);
    const UnitRun* Begin(LONG row) const { return runs_.get() + starts_[row]; }
    const UnitRun* End(LONG row) const { return runs_.get() + starts_[row + 1]; }

private:
    std::unique_ptr<LONG[]> starts_;
    std::unique_ptr<UnitRun[]> runs_;
};

// The quantities of a pixel's terms, in the order they are laid out.
enum TermQuantity { TermFrameWeight, TermRed, TermGreen, TermBlue, TermQuantities };

class PreparedImage {
public:
    // False, leaving the object unprepared, when the image is not 32-bit RGBA
    // with pixels or memory is short. The image's pixels must outlive this object.
    bool Prepare(const VideoFrameLayout& image);
    bool Ready() const { return source_.planes[0] != nullptr; }
    // The image as it was given.
    const VideoFrameLayout& Source() const { return source_; }

    // Terms of pixel pairs starting at an image column of the given parity
    // (0 or 1): pair p covers columns parity + 2p and parity + 2p + 1. The
    // block of a row holds, for each quantity q and side s (0 left, 1 right),
    // TermStride() values at offset (2q + s) * TermStride().
    const int32_t* Terms(LONG row, LONG parity) const;
    LONG TermStride() const { return termStride_; }

    // Runs of pixels with non-zero alpha, for RGB frames.
    const RunTable& PixelRuns() const { return pixelRuns_; }
    // Runs of the pairs of Terms(row, parity) under at least one visible
    // pixel; with two rows per group, row r stands for image rows r and r + 1.
    const RunTable& PairRuns(LONG parity, LONG rowsPerGroup) const { return pairRuns_[parity][rowsPerGroup - 1]; }

    // For an RGB frame of 3 or 4 bytes per pixel, per frame byte of a row: the
    // alpha of the image pixel over it (0 for a fourth byte) and the image
    // colour byte it mixes with.
    const BYTE* RgbAlpha(LONG bytesPerPixel, LONG row) const;
    const BYTE* RgbColour(LONG bytesPerPixel, LONG row) const;

private:
    bool PrepareTerms();
    bool PrepareRuns();
    bool PrepareRgb();

    VideoFrameLayout source_{};
    LONG termStride_ = 0;
    std::unique_ptr<int32_t[]> terms_;
    RunTable pixelRuns_;
    RunTable pairRuns_[2][2];
    // Alpha then colour, a row of each per image row, for 3 and 4 bytes per pixel.
    std::unique_ptr<BYTE[]> rgb_[2];
};

#endif
