#include "tests/wine/e2e/logo_reference.h"

#include "tests/wine/e2e/test_logo_resource.h"

namespace {

constexpr int kWhite = 255;

// Byte offsets of a pixel's luma and of its chroma group's U and V.
struct YuvAddressing {
    size_t luma;
    size_t u;
    size_t v;
};

YuvAddressing Address(PixelLayout layout, LONG width, LONG height, LONG x, LONG y) {
    const size_t lumaPlane = static_cast<size_t>(width) * height;
    const size_t chromaRow = static_cast<size_t>(y / 2);
    const size_t chromaColumn = static_cast<size_t>(x / 2);
    const size_t quarter = lumaPlane / 4;
    switch (layout) {
        case PixelLayout::Packed422YFirst: {
            size_t pair = static_cast<size_t>(y) * width * 2 + (x & ~1) * 2;
            return {pair + (x & 1) * 2, pair + 1, pair + 3};
        }
        case PixelLayout::Packed422UFirst: {
            size_t pair = static_cast<size_t>(y) * width * 2 + (x & ~1) * 2;
            return {pair + 1 + (x & 1) * 2, pair, pair + 2};
        }
        case PixelLayout::Planar420UFirst: {
            size_t chroma = chromaRow * (width / 2) + chromaColumn;
            return {static_cast<size_t>(y) * width + x, lumaPlane + chroma, lumaPlane + quarter + chroma};
        }
        case PixelLayout::Planar420VFirst: {
            size_t chroma = chromaRow * (width / 2) + chromaColumn;
            return {static_cast<size_t>(y) * width + x, lumaPlane + quarter + chroma, lumaPlane + chroma};
        }
        case PixelLayout::Semiplanar420: {
            size_t chroma = lumaPlane + chromaRow * width + chromaColumn * 2;
            return {static_cast<size_t>(y) * width + x, chroma, chroma + 1};
        }
        case PixelLayout::Rgb:
            break;
    }
    return {0, 0, 0};
}

}  // namespace

YuvGroup BlendYuvGroup(const YuvGroup& group) {
    bool visible = false;
    for (int k = 0; k < group.count; ++k) visible = visible || group.alpha[k] != 0;
    if (!visible) return group;

    YuvGroup result = group;
    int sumR = 0, sumG = 0, sumB = 0;
    for (int k = 0; k < group.count; ++k) {
        const int t = (group.luma[k] - 16) * 38155;
        const int r4 = (t + (group.v - 128) * 52299) >> 13;
        const int g4 = (t + 5052928 - 26639 * group.v - 12837 * group.u) >> 13;
        const int b4 = (t + (group.u - 128) * 66101) >> 13;
        const int frameWeight = 256 - group.alpha[k];
        const int logoWeight = 4 * group.alpha[k] + 1;
        const int r = (r4 * frameWeight + kWhite * logoWeight) >> 8;
        const int g = (g4 * frameWeight + kWhite * logoWeight) >> 8;
        const int b = (b4 * frameWeight + kWhite * logoWeight) >> 8;
        result.luma[k] = (((8414 * r + 16519 * g + 3208 * b) >> 17) + 16) & 0xFF;
        sumR += r;
        sumG += g;
        sumB += b;
    }
    const int shift = group.count == 2 ? 18 : 19;
    result.u = (((14392 * sumB - 9535 * sumG - 4857 * sumR) >> shift) + 128) & 0xFF;
    result.v = (((14392 * sumR - 12052 * sumG - 2341 * sumB) >> shift) + 128) & 0xFF;
    return result;
}

BYTE BlendRgbByte(BYTE frame, int alpha) { return static_cast<BYTE>((kWhite * alpha + frame * (256 - alpha)) >> 8); }

HRESULT CLogoReference::Load() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_TEST_LOGO), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!found) return HRESULT_FROM_WIN32(GetLastError());
    if (SizeofResource(nullptr, found) != static_cast<DWORD>(kLogoWidth * kLogoHeight)) return E_UNEXPECTED;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes) return E_FAIL;
    gray_.assign(bytes, bytes + kLogoWidth * kLogoHeight);
    return S_OK;
}

int CLogoReference::AlphaAt(LONG column, LONG row) const {
    return (255 - gray_[static_cast<size_t>(row) * kLogoWidth + column]) >> 1;
}

std::vector<BYTE> CLogoReference::Blend(const TestVideoFormat& format, LONG width, LONG height,
                                        const std::vector<BYTE>& frame) const {
    std::vector<BYTE> out = frame;
    if (gray_.empty() || frame.size() != FrameBytes(format, width, height)) return out;

    // Centred, a sixteenth of the height from the top, clipped to the frame.
    LONG x = (width - kLogoWidth) >> 1, y = height >> 4;
    LONG logoColumn = 0, logoRow = 0, w = kLogoWidth, h = kLogoHeight;
    if (x < 0) { logoColumn = -x; w += x; x = 0; }
    if (y < 0) { logoRow = -y; h += y; y = 0; }
    if (x + w > width) w = width - x;
    if (y + h > height) h = height - y;
    if (w <= 0 || h <= 0) return out;

    if (format.layout == PixelLayout::Rgb) {
        const LONG bytesPerPixel = format.bitCount / 8;
        const LONG stride = (width * bytesPerPixel + 3) & ~3;
        for (LONG row = 0; row < h; ++row) {
            // Bottom-up rows: picture row y + row lies that far from the last row in memory.
            BYTE* pixel = out.data() + static_cast<size_t>(height - 1 - (y + row)) * stride + x * bytesPerPixel;
            for (LONG column = 0; column < w; ++column, pixel += bytesPerPixel) {
                const int alpha = AlphaAt(logoColumn + column, logoRow + row);
                for (int channel = 0; channel < 3; ++channel) pixel[channel] = BlendRgbByte(pixel[channel], alpha);
            }
        }
        return out;
    }

    // YUV: whole pixel pairs, and for 4:2:0 whole row pairs.
    const bool rowPairs = format.bitCount == 12;
    x &= ~1;
    w &= ~1;
    if (rowPairs) {
        y &= ~1;
        h &= ~1;
    }
    const LONG rowsPerGroup = rowPairs ? 2 : 1;
    for (LONG row = 0; row < h; row += rowsPerGroup) {
        for (LONG column = 0; column < w; column += 2) {
            YuvGroup group = {};
            group.count = 2 * rowsPerGroup;
            YuvAddressing at[4];
            for (int k = 0; k < group.count; ++k) {
                const LONG dx = k % 2, dy = k / 2;
                at[k] = Address(format.layout, width, height, x + column + dx, y + row + dy);
                group.luma[k] = out[at[k].luma];
                group.alpha[k] = AlphaAt(logoColumn + column + dx, logoRow + row + dy);
            }
            group.u = out[at[0].u];
            group.v = out[at[0].v];
            const YuvGroup blended = BlendYuvGroup(group);
            for (int k = 0; k < group.count; ++k) out[at[k].luma] = static_cast<BYTE>(blended.luma[k]);
            out[at[0].u] = static_cast<BYTE>(blended.u);
            out[at[0].v] = static_cast<BYTE>(blended.v);
        }
    }
    return out;
}
