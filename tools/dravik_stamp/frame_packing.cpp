#include "tools/dravik_stamp/frame_packing.h"

void PackPlanar422ToYuy2(const ClipFormat& format, const unsigned char* planar, unsigned char* packed) {
    const int pairs = format.width / 2;
    const unsigned char* cb = planar + format.LumaSize();
    const unsigned char* cr = cb + format.ChromaPlaneSize();
    for (int row = 0; row < format.height; ++row) {
        const unsigned char* y = planar + static_cast<size_t>(row) * format.width;
        const unsigned char* u = cb + static_cast<size_t>(row) * format.ChromaWidth();
        const unsigned char* v = cr + static_cast<size_t>(row) * format.ChromaWidth();
        unsigned char* out = packed + static_cast<size_t>(row) * format.width * 2;
        for (int pair = 0; pair < pairs; ++pair) {
            out[4 * pair] = y[2 * pair];
            out[4 * pair + 1] = u[pair];
            out[4 * pair + 2] = y[2 * pair + 1];
            out[4 * pair + 3] = v[pair];
        }
    }
}

void UnpackYuy2ToPlanar422(const ClipFormat& format, const unsigned char* packed, unsigned char* planar) {
    const int pairs = format.width / 2;
    unsigned char* cb = planar + format.LumaSize();
    unsigned char* cr = cb + format.ChromaPlaneSize();
    for (int row = 0; row < format.height; ++row) {
        unsigned char* y = planar + static_cast<size_t>(row) * format.width;
        unsigned char* u = cb + static_cast<size_t>(row) * format.ChromaWidth();
        unsigned char* v = cr + static_cast<size_t>(row) * format.ChromaWidth();
        const unsigned char* in = packed + static_cast<size_t>(row) * format.width * 2;
        for (int pair = 0; pair < pairs; ++pair) {
            y[2 * pair] = in[4 * pair];
            u[pair] = in[4 * pair + 1];
            y[2 * pair + 1] = in[4 * pair + 2];
            v[pair] = in[4 * pair + 3];
        }
    }
}
