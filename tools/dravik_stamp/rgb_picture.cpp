#include "tools/dravik_stamp/rgb_picture.h"

namespace {

unsigned char Clamp(int value) { return static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value); }

}  // namespace

std::vector<unsigned char> FrameToRgb(const ClipFormat& format, const unsigned char* planar) {
    std::vector<unsigned char> rgb(static_cast<size_t>(format.width) * format.height * 3);
    const unsigned char* cb = planar + format.LumaSize();
    const unsigned char* cr = cb + format.ChromaPlaneSize();
    const int chromaRowShift = format.chroma == ChromaLayout::Planar420 ? 1 : 0;
    // The coefficients are scaled by 2^15; adding half rounds to nearest.
    const int half = 1 << 14;
    unsigned char* out = rgb.data();
    for (int row = 0; row < format.height; ++row) {
        const size_t chromaRow = static_cast<size_t>(row >> chromaRowShift) * format.ChromaWidth();
        for (int column = 0; column < format.width; ++column) {
            const int y = planar[static_cast<size_t>(row) * format.width + column];
            const int u = cb[chromaRow + column / 2] - 128;
            const int v = cr[chromaRow + column / 2] - 128;
            const int t = (y - 16) * 38155;
            *out++ = Clamp((t + 52299 * v + half) >> 15);
            *out++ = Clamp((t - 26639 * v - 12837 * u + half) >> 15);
            *out++ = Clamp((t + 66101 * u + half) >> 15);
        }
    }
    return rgb;
}
