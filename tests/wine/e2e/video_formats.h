// The seven uncompressed video formats the end-to-end test plays, with the
// byte layout of their frames and deterministic frame content.
#ifndef DRAVIK_TESTS_WINE_E2E_VIDEO_FORMATS_H
#define DRAVIK_TESTS_WINE_E2E_VIDEO_FORMATS_H

#include <windows.h>
#include <dshow.h>

#include <vector>

enum class PixelLayout { Packed422YFirst, Packed422UFirst, Planar420UFirst, Planar420VFirst, Semiplanar420, Rgb };

struct TestVideoFormat {
    const char* name;
    GUID subtype;
    DWORD compression;  // BI_RGB or the FOURCC
    WORD bitCount;
    PixelLayout layout;
};

// YUY2, UYVY, I420, YV12, NV12, RGB24, RGB32.
const std::vector<TestVideoFormat>& TestVideoFormats();

// Bytes of one frame; RGB rows are DWORD-aligned.
DWORD FrameBytes(const TestVideoFormat& format, LONG width, LONG height);

// The header of a frame as an AVI stream format (positive height: RGB bottom-up).
BITMAPINFOHEADER FrameHeader(const TestVideoFormat& format, LONG width, LONG height);

// Frame number `index`: a pattern that differs from byte to byte and from frame to frame.
std::vector<BYTE> MakeFrame(const TestVideoFormat& format, LONG width, LONG height, int index);

#endif
