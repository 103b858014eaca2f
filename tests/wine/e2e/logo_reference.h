// The logo blend worked out on its own, pixel by pixel in picture
// coordinates, to compare the helper filter's frames with.
#ifndef DRAVIK_TESTS_WINE_E2E_LOGO_REFERENCE_H
#define DRAVIK_TESTS_WINE_E2E_LOGO_REFERENCE_H

#include "tests/wine/e2e/video_formats.h"

#include <vector>

constexpr LONG kLogoWidth = 265;
constexpr LONG kLogoHeight = 41;

// One chroma group of a YUV frame under white logo pixels: `count` lumas (2 or
// 4) sharing one U and one V, each under its own logo alpha.
struct YuvGroup {
    int count;
    int luma[4];
    int u, v;
    int alpha[4];
};

// The group after the blend (unchanged when every alpha is 0).
YuvGroup BlendYuvGroup(const YuvGroup& group);

// One blue/green/red byte under a white logo pixel of the alpha.
BYTE BlendRgbByte(BYTE frame, int alpha);

class CLogoReference {
public:
    // The logo picture from this program's resources (a copy of the module's).
    HRESULT Load();
    // The frame as it must look after the helper filter drew the logo on it.
    std::vector<BYTE> Blend(const TestVideoFormat& format, LONG width, LONG height, const std::vector<BYTE>& frame) const;

private:
    int AlphaAt(LONG column, LONG row) const;

    std::vector<BYTE> gray_;  // kLogoWidth x kLogoHeight, top row first
};

#endif
