#include "overlay/prepared_image.h"

#include <stddef.h>

#include <new>

#include "overlay/blend_arithmetic.h"
#include "overlay/pixel_formats.h"

namespace {

const BYTE* PixelAt(const VideoFrameLayout& image, LONG row, LONG column) {
    return image.planes[0] + static_cast<ptrdiff_t>(row) * image.strides[0] + 4 * static_cast<ptrdiff_t>(column);
}

size_t RgbRowBytes(const VideoFrameLayout& image, LONG bytesPerPixel) {
    return static_cast<size_t>(image.width) * bytesPerPixel;
}

}  // namespace

bool PreparedImage::Prepare(const VideoFrameLayout& image) {
    source_ = {};
    const bool rgba = image.fourcc == FourccRgba || image.fourcc == FourccRgb || image.fourcc == FourccBitFields;
    if (!rgba || image.bitCount != 32 || image.planes[0] == nullptr || image.width <= 0 || image.height <= 0) {
        return false;
    }
    // Pairs of either parity, and 4-byte RGB rows, stay well inside 32 bits.
    if (image.width > (1 << 24) || image.height > (1 << 24)) return false;
    source_ = image;
    const bool prepared = PrepareTerms() && PrepareRuns() && PrepareRgb();
    if (!prepared) source_ = {};
    return prepared;
}

const int32_t* PreparedImage::Terms(LONG row, LONG parity) const {
    return terms_.get() + (static_cast<size_t>(row) * 2 + parity) * TermQuantities * 2 * termStride_;
}

const BYTE* PreparedImage::RgbAlpha(LONG bytesPerPixel, LONG row) const {
    return rgb_[bytesPerPixel - 3].get() + static_cast<size_t>(row) * 2 * RgbRowBytes(source_, bytesPerPixel);
}

const BYTE* PreparedImage::RgbColour(LONG bytesPerPixel, LONG row) const {
    return RgbAlpha(bytesPerPixel, row) + RgbRowBytes(source_, bytesPerPixel);
}

bool PreparedImage::PrepareTerms() {
    termStride_ = source_.width / 2 + 1;
    const size_t rowBlock = static_cast<size_t>(TermQuantities) * 2 * termStride_;
    const size_t count = static_cast<size_t>(source_.height) * 2 * rowBlock;
    terms_.reset(new (std::nothrow) int32_t[count]);
    if (!terms_) return false;
    // A pair reaching past the last column is never blended; it gets the terms of alpha 0.
    const ImageTerms transparent = {256, 0, 0, 0};
    for (LONG row = 0; row < source_.height; ++row) {
        for (LONG parity = 0; parity < 2; ++parity) {
            int32_t* block = terms_.get() + (static_cast<size_t>(row) * 2 + parity) * rowBlock;
            for (LONG pair = 0; pair < termStride_; ++pair) {
                for (LONG side = 0; side < 2; ++side) {
                    const LONG column = parity + 2 * pair + side;
                    const ImageTerms terms =
                        column < source_.width ? ImageTermsOf(PixelAt(source_, row, column)) : transparent;
                    const int32_t values[TermQuantities] = {terms.frameWeight, terms.r, terms.g, terms.b};
                    for (int quantity = 0; quantity < TermQuantities; ++quantity) {
                        block[(2 * quantity + side) * static_cast<size_t>(termStride_) + pair] = values[quantity];
                    }
                }
            }
        }
    }
    return true;
}

bool RunTable::Build(const bool* visible, LONG rows, LONG units) {
    starts_.reset(new (std::nothrow) LONG[static_cast<size_t>(rows) + 1]);
    if (!starts_) return false;
    // Counted first, then recorded.
    for (int pass = 0; pass < 2; ++pass) {
        LONG count = 0;
        for (LONG row = 0; row < rows; ++row) {
            starts_[row] = count;
            const bool* flags = visible + static_cast<size_t>(row) * units;
            LONG end = -1;  // of the run being gathered
            LONG begin = 0;
            for (LONG unit = 0; unit < units; ++unit) {
                if (!flags[unit]) continue;
                if (unit == end) {
                    end = unit + 1;
                    continue;
                }
                if (end >= 0) {
                    if (pass == 1) runs_[count] = {begin, end};
                    ++count;
                }
                begin = unit;
                end = unit + 1;
            }
            if (end >= 0) {
                if (pass == 1) runs_[count] = {begin, end};
                ++count;
            }
        }
        starts_[rows] = count;
        if (pass == 0) {
            runs_.reset(new (std::nothrow) UnitRun[static_cast<size_t>(count) + 1]);
            if (!runs_) return false;
        }
    }
    return true;
}

bool PreparedImage::PrepareRuns() {
    const LONG width = source_.width;
    const LONG height = source_.height;
    std::unique_ptr<bool[]> pixels(new (std::nothrow) bool[static_cast<size_t>(width) * height]);
    std::unique_ptr<bool[]> pairs(new (std::nothrow) bool[static_cast<size_t>(termStride_) * height]);
    if (!pixels || !pairs) return false;
    for (LONG row = 0; row < height; ++row) {
        for (LONG column = 0; column < width; ++column) {
            pixels[static_cast<size_t>(row) * width + column] = PixelAt(source_, row, column)[3] != 0;
        }
    }
    if (!pixelRuns_.Build(pixels.get(), height, width)) return false;
    for (LONG parity = 0; parity < 2; ++parity) {
        for (LONG row = 0; row < height; ++row) {
            for (LONG pair = 0; pair < termStride_; ++pair) {
                const LONG column = parity + 2 * pair;
                const bool* at = &pixels[static_cast<size_t>(row) * width + column];
                pairs[static_cast<size_t>(row) * termStride_ + pair] =
                    (column < width && at[0]) || (column + 1 < width && at[1]);
            }
        }
        if (!pairRuns_[parity][0].Build(pairs.get(), height, termStride_)) return false;
        // Row r of the two-row table: rows r and r + 1 together.
        for (LONG row = 0; row + 1 < height; ++row) {
            for (LONG pair = 0; pair < termStride_; ++pair) {
                bool* flag = &pairs[static_cast<size_t>(row) * termStride_ + pair];
                *flag = *flag || flag[termStride_];
            }
        }
        if (!pairRuns_[parity][1].Build(pairs.get(), height - 1, termStride_)) return false;
    }
    return true;
}

bool PreparedImage::PrepareRgb() {
    for (LONG bytesPerPixel = 3; bytesPerPixel <= 4; ++bytesPerPixel) {
        const size_t rowBytes = RgbRowBytes(source_, bytesPerPixel);
        BYTE* bytes = new (std::nothrow) BYTE[static_cast<size_t>(source_.height) * 2 * rowBytes];
        rgb_[bytesPerPixel - 3].reset(bytes);
        if (bytes == nullptr) return false;
        for (LONG row = 0; row < source_.height; ++row) {
            BYTE* alpha = bytes + static_cast<size_t>(row) * 2 * rowBytes;
            BYTE* colour = alpha + rowBytes;
            for (LONG column = 0; column < source_.width; ++column) {
                const BYTE* pixel = PixelAt(source_, row, column);
                for (LONG channel = 0; channel < bytesPerPixel; ++channel) {
                    const size_t at = static_cast<size_t>(column) * bytesPerPixel + channel;
                    alpha[at] = channel < 3 ? pixel[3] : 0;
                    colour[at] = channel < 3 ? pixel[channel] : 0;
                }
            }
        }
    }
    return true;
}
