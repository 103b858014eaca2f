#include "tools/dravik_stamp/video_media_type.h"

#include <dvdmedia.h>

#include <cstring>

#include "framework/format_blocks.h"

namespace {

DWORD Fourcc(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<unsigned char>(a)) | static_cast<DWORD>(static_cast<unsigned char>(b)) << 8 |
           static_cast<DWORD>(static_cast<unsigned char>(c)) << 16 | static_cast<DWORD>(static_cast<unsigned char>(d)) << 24;
}

// The media subtype named by a FOURCC: the base video subtype with the code in front.
GUID FourccSubtype(DWORD fourcc) {
    GUID subtype = MEDIASUBTYPE_YUY2;
    subtype.Data1 = fourcc;
    return subtype;
}

DWORD PixelFourcc(const ClipFormat& format) {
    return format.chroma == ChromaLayout::Planar420 ? Fourcc('I', '4', '2', '0') : Fourcc('Y', 'U', 'Y', '2');
}

long long CommonDivisor(long long a, long long b) {
    while (b != 0) {
        const long long rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

}  // namespace

DWORD InterlaceFlagsFromTag(char tag) {
    switch (tag) {
        case 't':
            return AMINTERLACE_IsInterlaced | AMINTERLACE_Field1First | AMINTERLACE_FieldPatBothRegular |
                   AMINTERLACE_DisplayModeWeaveOnly;
        case 'b':
            return AMINTERLACE_IsInterlaced | AMINTERLACE_FieldPatBothRegular | AMINTERLACE_DisplayModeWeaveOnly;
        case 'm':
            return AMINTERLACE_IsInterlaced | AMINTERLACE_Field1First | AMINTERLACE_FieldPatBothIrregular |
                   AMINTERLACE_DisplayModeBobOrWeave;
        default:
            return 0;
    }
}

char InterlaceTagFromFlags(DWORD flags) {
    if ((flags & AMINTERLACE_IsInterlaced) == 0) return 'p';
    if ((flags & AMINTERLACE_DisplayModeMask) == AMINTERLACE_DisplayModeBobOrWeave) return 'm';
    return (flags & AMINTERLACE_Field1First) != 0 ? 't' : 'b';
}

HRESULT BuildVideoType(const ClipFormat& format, COwnedMediaType* type) {
    VIDEOINFOHEADER2* header = reinterpret_cast<VIDEOINFOHEADER2*>(type->ReserveFormatBlock(sizeof(VIDEOINFOHEADER2)));
    if (header == nullptr) return E_OUTOFMEMORY;
    std::memset(header, 0, sizeof *header);
    type->SetMajorType(MEDIATYPE_Video);
    type->SetSubtype(FourccSubtype(PixelFourcc(format)));
    type->SetFormatType(FORMAT_VideoInfo2);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(static_cast<ULONG>(format.FrameSize()));

    header->rcSource = {0, 0, format.width, format.height};
    header->rcTarget = header->rcSource;
    header->AvgTimePerFrame = FrameTimeFromRate(format.rateNumerator, format.rateDenominator);
    header->dwInterlaceFlags = InterlaceFlagsFromTag(format.interlace);
    // The picture's shape: its size times the pixel shape, reduced.
    long long aspectX = format.width, aspectY = format.height;
    const size_t colon = format.aspect.find(':');
    if (colon != std::string::npos) {
        const long long pixelX = std::stoll(format.aspect.substr(0, colon));
        const long long pixelY = std::stoll(format.aspect.substr(colon + 1));
        if (pixelX > 0 && pixelY > 0) {
            aspectX *= pixelX;
            aspectY *= pixelY;
        }
    }
    const long long divisor = CommonDivisor(aspectX, aspectY);
    header->dwPictAspectRatioX = static_cast<DWORD>(aspectX / divisor);
    header->dwPictAspectRatioY = static_cast<DWORD>(aspectY / divisor);
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = format.width;
    header->bmiHeader.biHeight = format.height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = format.chroma == ChromaLayout::Planar420 ? 12 : 16;
    header->bmiHeader.biCompression = PixelFourcc(format);
    header->bmiHeader.biSizeImage = static_cast<DWORD>(format.FrameSize());
    return S_OK;
}

bool ReadVideoType(const AM_MEDIA_TYPE& type, const ClipFormat& format, REFERENCE_TIME* frameTime, DWORD* interlaceFlags) {
    if (type.majortype != MEDIATYPE_Video || type.subtype != FourccSubtype(PixelFourcc(format))) return false;
    const BITMAPINFOHEADER* bitmap = nullptr;
    if (const VIDEOINFOHEADER2* header = VideoInfo2Of(type)) {
        bitmap = &header->bmiHeader;
        *frameTime = header->AvgTimePerFrame;
        *interlaceFlags = header->dwInterlaceFlags;
    } else if (const VIDEOINFOHEADER* header = VideoInfoOf(type)) {
        bitmap = &header->bmiHeader;
        *frameTime = header->AvgTimePerFrame;
        *interlaceFlags = 0;
    } else {
        return false;
    }
    return bitmap->biWidth == format.width && bitmap->biHeight == format.height &&
           bitmap->biCompression == PixelFourcc(format) && *frameTime > 0;
}

ClipFormat FormatWithTiming(const ClipFormat& input, REFERENCE_TIME frameTime, DWORD interlaceFlags) {
    ClipFormat output = input;
    if (frameTime != FrameTimeFromRate(input.rateNumerator, input.rateDenominator)) {
        const long long divisor = CommonDivisor(UnitsPerSecond, frameTime);
        output.rateNumerator = UnitsPerSecond / divisor;
        output.rateDenominator = frameTime / divisor;
    }
    if (interlaceFlags != InterlaceFlagsFromTag(input.interlace)) output.interlace = InterlaceTagFromFlags(interlaceFlags);
    return output;
}
