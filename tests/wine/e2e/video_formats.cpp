#include "tests/wine/e2e/video_formats.h"

namespace {

constexpr DWORD Fourcc(const char (&code)[5]) {
    return static_cast<DWORD>(static_cast<BYTE>(code[0])) | (static_cast<DWORD>(static_cast<BYTE>(code[1])) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(code[2])) << 16) | (static_cast<DWORD>(static_cast<BYTE>(code[3])) << 24);
}

// The media subtype formed from a FOURCC.
GUID FourccSubtype(DWORD fourcc) {
    return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

}  // namespace

const std::vector<TestVideoFormat>& TestVideoFormats() {
    static const std::vector<TestVideoFormat> formats = {
        {"YUY2", FourccSubtype(Fourcc("YUY2")), Fourcc("YUY2"), 16, PixelLayout::Packed422YFirst},
        {"UYVY", FourccSubtype(Fourcc("UYVY")), Fourcc("UYVY"), 16, PixelLayout::Packed422UFirst},
        {"I420", FourccSubtype(Fourcc("I420")), Fourcc("I420"), 12, PixelLayout::Planar420UFirst},
        {"YV12", FourccSubtype(Fourcc("YV12")), Fourcc("YV12"), 12, PixelLayout::Planar420VFirst},
        {"NV12", FourccSubtype(Fourcc("NV12")), Fourcc("NV12"), 12, PixelLayout::Semiplanar420},
        {"RGB24", MEDIASUBTYPE_RGB24, BI_RGB, 24, PixelLayout::Rgb},
        {"RGB32", MEDIASUBTYPE_RGB32, BI_RGB, 32, PixelLayout::Rgb},
    };
    return formats;
}

DWORD FrameBytes(const TestVideoFormat& format, LONG width, LONG height) {
    if (format.layout == PixelLayout::Rgb) return static_cast<DWORD>(((width * format.bitCount / 8 + 3) & ~3) * height);
    return static_cast<DWORD>(width * height * format.bitCount / 8);
}

BITMAPINFOHEADER FrameHeader(const TestVideoFormat& format, LONG width, LONG height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = format.bitCount;
    header.biCompression = format.compression;
    header.biSizeImage = FrameBytes(format, width, height);
    return header;
}

std::vector<BYTE> MakeFrame(const TestVideoFormat& format, LONG width, LONG height, int index) {
    std::vector<BYTE> frame(FrameBytes(format, width, height));
    // xorshift32, seeded per frame: every byte value occurs, the frames differ.
    UINT32 state = 0x9E3779B9u ^ (static_cast<UINT32>(index + 1) * 0x85EBCA6Bu);
    for (BYTE& byte : frame) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<BYTE>(state >> 24);
    }
    return frame;
}
