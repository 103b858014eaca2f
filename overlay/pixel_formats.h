// The pixel format codes the overlay knows.
#ifndef DRAVIK_OVERLAY_PIXEL_FORMATS_H
#define DRAVIK_OVERLAY_PIXEL_FORMATS_H

#include <windows.h>

// First character in the low byte.
constexpr DWORD MakeFourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD FourccRgb = 0;
constexpr DWORD FourccBitFields = 3;
constexpr DWORD FourccV210 = MakeFourcc('v', '2', '1', '0');
constexpr DWORD FourccI420 = MakeFourcc('I', '4', '2', '0');
constexpr DWORD FourccIyuv = MakeFourcc('I', 'Y', 'U', 'V');
constexpr DWORD FourccP420 = MakeFourcc('P', '4', '2', '0');
constexpr DWORD FourccP422 = MakeFourcc('P', '4', '2', '2');
constexpr DWORD FourccP444 = MakeFourcc('P', '4', '4', '4');
constexpr DWORD FourccNv12 = MakeFourcc('N', 'V', '1', '2');
constexpr DWORD FourccYv12 = MakeFourcc('Y', 'V', '1', '2');
constexpr DWORD FourccYuy2 = MakeFourcc('Y', 'U', 'Y', '2');
constexpr DWORD FourccHdyc = MakeFourcc('H', 'D', 'Y', 'C');
constexpr DWORD FourccUyvy = MakeFourcc('U', 'Y', 'V', 'Y');
constexpr DWORD FourccRgba = MakeFourcc('R', 'G', 'B', 'A');

#endif
