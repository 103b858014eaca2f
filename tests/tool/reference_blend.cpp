#include "reference_blend.h"

#include <cstdio>

namespace {

const int LogoWidth = 265;
const int LogoHeight = 41;

struct Mixed {
    int r, g, b;
};

// The frame pixel (Y, U, V) mixed with a white logo pixel of alpha a, in RGB
// at four times the 8-bit scale.
Mixed MixWithWhite(int y, int u, int v, int a) {
    const int t = (y - 16) * 38155;
    const int r4 = (t + (v - 128) * 52299) >> 13;
    const int g4 = (t + 5052928 - 26639 * v - 12837 * u) >> 13;
    const int b4 = (t + (u - 128) * 66101) >> 13;
    const int frameWeight = 256 - a, logoWeight = 4 * a + 1;
    return {(r4 * frameWeight + 255 * logoWeight) >> 8, (g4 * frameWeight + 255 * logoWeight) >> 8,
            (b4 * frameWeight + 255 * logoWeight) >> 8};
}

unsigned char Luma(const Mixed& m) { return static_cast<unsigned char>(((8414 * m.r + 16519 * m.g + 3208 * m.b) >> 17) + 16); }

void Chroma(const Mixed* group, int count, int shift, unsigned char* u, unsigned char* v) {
    int r = 0, g = 0, b = 0;
    for (int i = 0; i < count; ++i) {
        r += group[i].r;
        g += group[i].g;
        b += group[i].b;
    }
    *u = static_cast<unsigned char>(((14392 * b - 9535 * g - 4857 * r) >> shift) + 128);
    *v = static_cast<unsigned char>(((14392 * r - 12052 * g - 2341 * b) >> shift) + 128);
}

}  // namespace

std::vector<unsigned char> LoadLogoGray() {
    std::vector<unsigned char> gray(LogoWidth * LogoHeight);
    FILE* file = std::fopen(DRAVIK_SOURCE_DIR "/resources/logo.raw", "rb");
    if (file == nullptr) return {};
    const size_t got = std::fread(gray.data(), 1, gray.size(), file);
    std::fclose(file);
    if (got != gray.size()) return {};
    return gray;
}

void ReferenceStamp(const ClipFormat& format, const std::vector<unsigned char>& logoGray, unsigned char* frame) {
    const bool planar420 = format.chroma == ChromaLayout::Planar420;
    // Position, then clipping to the frame.
    int x = (format.width - LogoWidth) >> 1, y = format.height >> 4;
    int firstColumn = 0, w = LogoWidth, h = LogoHeight;
    if (x < 0) {
        firstColumn = -x;
        w += x;
        x = 0;
    }
    if (x + w > format.width) w = format.width - x;
    if (y + h > format.height) h = format.height - y;
    // Pixel pairs; row pairs too for 4:2:0.
    w &= ~1;
    x &= ~1;
    if (planar420) {
        h &= ~1;
        y &= ~1;
    }
    auto alpha = [&](int row, int column) { return (255 - logoGray[row * LogoWidth + firstColumn + column]) >> 1; };
    unsigned char* luma = frame;
    unsigned char* cb = luma + format.LumaSize();
    unsigned char* cr = cb + format.ChromaPlaneSize();
    const int rowsPerGroup = planar420 ? 2 : 1;
    for (int r = 0; r < h; r += rowsPerGroup) {
        for (int j = 0; j < w / 2; ++j) {
            Mixed mixed[4];
            unsigned char* lumaOf[4];
            bool visible = false;
            for (int k = 0; k < 2 * rowsPerGroup; ++k) {
                const int row = r + k / 2, column = 2 * j + k % 2;
                const int a = alpha(row, column);
                visible = visible || a != 0;
                lumaOf[k] = luma + static_cast<size_t>(y + row) * format.width + x + column;
            }
            if (!visible) continue;
            const size_t chromaAt = static_cast<size_t>(planar420 ? (y + r) / 2 : y + r) * format.ChromaWidth() + x / 2 + j;
            for (int k = 0; k < 2 * rowsPerGroup; ++k) {
                mixed[k] = MixWithWhite(*lumaOf[k], cb[chromaAt], cr[chromaAt], alpha(r + k / 2, 2 * j + k % 2));
            }
            for (int k = 0; k < 2 * rowsPerGroup; ++k) *lumaOf[k] = Luma(mixed[k]);
            Chroma(mixed, 2 * rowsPerGroup, planar420 ? 19 : 18, &cb[chromaAt], &cr[chromaAt]);
        }
    }
}
