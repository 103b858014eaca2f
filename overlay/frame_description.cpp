#include "overlay/frame_description.h"

#include <dvdmedia.h>
#include <stdint.h>

#include "dravik/dravik.h"
#include "overlay/pixel_formats.h"

namespace {

// The companion component's format block: fields read at fixed offsets, and a
// bitmap header at 80 that ends the block.
constexpr size_t PlanarRightOffset = 8;
constexpr size_t PlanarAccessOffset = 72;
constexpr size_t PlanarCountOffset = 76;
constexpr size_t PlanarRowWidthOffset = 84;
constexpr size_t PlanarHeightOffset = 88;
constexpr size_t PlanarBitCountOffset = 94;
constexpr size_t PlanarFourccOffset = 96;
constexpr size_t PlanarHeaderSize = 80 + sizeof(BITMAPINFOHEADER);

// What the format block says beyond the layout's own fields.
struct FormatFacts {
    LONG rowWidth;
    DWORD planeCount;
    bool throughPlanes;
};

template <typename Value>
Value ReadAt(const BYTE* block, size_t offset) {
    Value value;
    memcpy(&value, block + offset, sizeof value);
    return value;
}

bool Fits32(int64_t value) { return value >= INT32_MIN && value <= INT32_MAX; }

// The platform's headers name their bitmap header and source rectangle alike.
template <typename Header>
bool ReadVideoHeader(const AM_MEDIA_TYPE& type, VideoFrameLayout* frame, FormatFacts* facts) {
    if (type.pbFormat == nullptr || type.cbFormat < sizeof(Header)) return false;
    Header header;
    memcpy(&header, type.pbFormat, sizeof header);
    const BITMAPINFOHEADER& bitmap = header.bmiHeader;
    facts->rowWidth = bitmap.biWidth;
    facts->planeCount = 1;
    facts->throughPlanes = false;
    if (frame->width == 0) frame->width = header.rcSource.right;
    if (frame->height == 0) frame->height = bitmap.biHeight;
    if (frame->bitCount == 0) frame->bitCount = bitmap.biBitCount;
    if (frame->fourcc == 0) frame->fourcc = bitmap.biCompression;
    return true;
}

bool ReadPlanarHeader(const AM_MEDIA_TYPE& type, VideoFrameLayout* frame, FormatFacts* facts) {
    if (type.pbFormat == nullptr || type.cbFormat < PlanarHeaderSize) return false;
    const BYTE* block = type.pbFormat;
    frame->width = ReadAt<LONG>(block, PlanarRightOffset);
    frame->height = ReadAt<LONG>(block, PlanarHeightOffset);
    frame->bitCount = ReadAt<WORD>(block, PlanarBitCountOffset);
    frame->fourcc = ReadAt<DWORD>(block, PlanarFourccOffset);
    if (ReadAt<DWORD>(block, PlanarAccessOffset) == 0) return false;
    facts->rowWidth = ReadAt<LONG>(block, PlanarRowWidthOffset);
    facts->planeCount = ReadAt<DWORD>(block, PlanarCountOffset);
    facts->throughPlanes = true;
    return true;
}

bool ReadFormat(const AM_MEDIA_TYPE& type, VideoFrameLayout* frame, FormatFacts* facts) {
    if (type.formattype == FORMAT_VideoInfo) return ReadVideoHeader<VIDEOINFOHEADER>(type, frame, facts);
    if (type.formattype == FORMAT_VideoInfo2) return ReadVideoHeader<VIDEOINFOHEADER2>(type, frame, facts);
    if (type.formattype == FORMAT_PlanarVideo) return ReadPlanarHeader(type, frame, facts);
    return false;
}

// Planes of the companion's samples stay obtained once this succeeds.
bool GetSamplePlanes(IMediaSample* sample, DWORD planeCount, VideoFrameLayout* frame) {
    if (planeCount != 1 && planeCount != 3) return false;
    ISamplePlanes* access = nullptr;
    if (FAILED(sample->QueryInterface(IID_ISamplePlanes, reinterpret_cast<void**>(&access))) || access == nullptr) {
        return false;
    }
    for (LONG index = 0; index < static_cast<LONG>(planeCount); ++index) {
        if (FAILED(access->GetPlane(&frame->planes[index], &frame->strides[index], 0, index))) {
            // The companion's release result says nothing we could act on.
            for (LONG obtained = 0; obtained < index; ++obtained) static_cast<void>(access->ReleasePlane(0, obtained));
            access->Release();
            return false;
        }
    }
    access->Release();
    return true;
}

bool IsPlanar420(DWORD fourcc) {
    return fourcc == FourccNv12 || fourcc == FourccYv12 || fourcc == FourccI420 || fourcc == FourccIyuv;
}

bool IsPlanarLuma(DWORD fourcc) {
    return IsPlanar420(fourcc) || fourcc == FourccP420 || fourcc == FourccP422 || fourcc == FourccP444;
}

// Whether rows of a plane starting at offset lie inside [0, size): each row
// covers [rowFirst, rowEnd) from its start.
bool PlaneInside(int64_t offset, int64_t rows, int64_t stride, int64_t rowFirst, int64_t rowEnd, int64_t size) {
    if (rows <= 0 || rowEnd <= rowFirst) return true;
    const int64_t last = (rows - 1) * stride;
    const int64_t first = offset + (last < 0 ? last : 0) + rowFirst;
    const int64_t end = offset + (last > 0 ? last : 0) + rowEnd;
    return first >= 0 && end <= size;
}

// The sample's buffer that bounds the planes: its size, and where each plane
// as obtained lies in it.
struct BufferBounds {
    int64_t size;
    int64_t offsets[3];
};

bool UsesChroma(DWORD fourcc) { return IsPlanar420(fourcc) || fourcc == FourccP420 || fourcc == FourccP422; }

// The bytes of each plane's rows that the frame's pixels occupy. Plane
// positions are offsets from planes[0], or from the buffer start for chroma
// planes the sample handed over itself.
bool FrameInsideBuffer(const VideoFrameLayout& frame, const int64_t offsets[3], bool chromaDerived,
                       const BufferBounds& bounds) {
    if (frame.planes[0] == nullptr) return true;  // nothing is drawn
    const int64_t width = frame.width;
    int64_t lumaRow;
    if (IsPlanarLuma(frame.fourcc)) {
        lumaRow = width;
    } else if (frame.fourcc == FourccYuy2 || frame.fourcc == FourccUyvy || frame.fourcc == FourccHdyc) {
        lumaRow = 2 * width;
    } else if (frame.fourcc == FourccV210) {
        lumaRow = (width + 5) / 6 * 16;
    } else {
        lumaRow = (width * frame.bitCount + 7) / 8;
    }
    const int64_t lumaStart = bounds.offsets[0] + offsets[0];
    if (!PlaneInside(lumaStart, frame.height, frame.strides[0], 0, lumaRow, bounds.size)) return false;
    if (!UsesChroma(frame.fourcc)) return true;
    if (!chromaDerived && (frame.planes[1] == nullptr || frame.planes[2] == nullptr)) return true;  // not drawn
    const int64_t samples = width / 2;
    const int64_t rows = frame.fourcc == FourccP422 ? frame.height : frame.height / 2;
    for (int plane = 1; plane < 3; ++plane) {
        if (samples == 0) break;
        const int64_t start = chromaDerived ? bounds.offsets[0] + offsets[plane] : bounds.offsets[plane];
        const int64_t reach = (samples - 1) * frame.sampleStep[plane];
        const int64_t rowFirst = reach < 0 ? reach : 0;
        const int64_t rowEnd = (reach > 0 ? reach : 0) + 1;
        if (!PlaneInside(start, rows, frame.strides[plane], rowFirst, rowEnd, bounds.size)) return false;
    }
    return true;
}

// Strides, derived planes, orientation and steps once the planes are
// known; bounds, when given, must hold every plane the blend reaches.
bool CompleteLayout(VideoFrameLayout* frame, const FormatFacts& facts, const BufferBounds* bounds) {
    // Plane positions are worked out as offsets from planes[0] and checked
    // before any pointer is formed from them.
    const int64_t rows = frame->height < 0 ? -int64_t{frame->height} : frame->height;
    int64_t stride = frame->strides[0];
    int64_t offsets[3] = {0, 0, 0};
    bool chromaDerived = false;
    switch (frame->fourcc) {
        case FourccP420:
        case FourccP422:
        case FourccP444:
            frame->sampleStep[0] = frame->sampleStep[1] = frame->sampleStep[2] = 1;
            break;
        case FourccNv12:
            if (stride == 0) stride = facts.rowWidth;
            frame->strides[1] = frame->strides[2] = static_cast<LONG>(stride);
            frame->sampleStep[0] = 1;
            frame->sampleStep[1] = frame->sampleStep[2] = 2;
            offsets[1] = rows * stride;
            offsets[2] = offsets[1] + 1;
            chromaDerived = true;
            break;
        case FourccYv12:
        case FourccI420:
        case FourccIyuv: {
            if (stride == 0) stride = facts.rowWidth;
            const int64_t chromaStride = stride >> 1;
            frame->strides[1] = frame->strides[2] = static_cast<LONG>(chromaStride);
            const int64_t first = rows * stride;
            const int64_t second = first + (rows * chromaStride) / 2;
            // YV12 keeps V before U in memory.
            offsets[1] = frame->fourcc == FourccYv12 ? second : first;
            offsets[2] = frame->fourcc == FourccYv12 ? first : second;
            chromaDerived = true;
            break;
        }
        case FourccV210:
            if (stride == 0) stride = ((int64_t{frame->width} + 5) / 6 * 16 + 127) & ~int64_t{127};
            break;
        default:
            if (stride == 0) stride = (int64_t{frame->bitCount} * facts.rowWidth) / 8;
            if (frame->fourcc == FourccRgb) stride = (stride + 3) & ~int64_t{3};
            break;
    }
    if (!Fits32(stride) || stride == INT32_MIN || !Fits32(offsets[1]) || !Fits32(offsets[2])) return false;
    frame->strides[0] = static_cast<LONG>(stride);

    if (frame->bitCount <= 16) frame->width &= ~1;
    // Rounds the row count down whatever the sign: rounding a negative height
    // up would add a row the picture does not have.
    if (frame->bitCount <= 12) frame->height = frame->height < 0 ? -((-frame->height) & ~1) : frame->height & ~1;

    if (frame->height > 0 && (frame->fourcc == FourccRgb || frame->fourcc == FourccBitFields)) {
        offsets[0] = (int64_t{frame->height} - 1) * frame->strides[0];
        if (!Fits32(offsets[0])) return false;
        frame->strides[0] = -frame->strides[0];
    } else if (frame->height < 0) {
        frame->height = -frame->height;
    }

    if (frame->sampleStep[0] <= 0) frame->sampleStep[0] = frame->bitCount == 12 ? 1 : frame->bitCount / 8;
    if (frame->sampleStep[1] == 0) frame->sampleStep[1] = 1;
    if (frame->sampleStep[2] == 0) frame->sampleStep[2] = 1;

    if (bounds != nullptr && !FrameInsideBuffer(*frame, offsets, chromaDerived, *bounds)) return false;
    if (frame->planes[0] != nullptr) {
        BYTE* const base = frame->planes[0];
        frame->planes[0] = base + offsets[0];
        if (chromaDerived) {
            frame->planes[1] = base + offsets[1];
            frame->planes[2] = base + offsets[2];
        }
    }
    return true;
}

// Gives back planes 0 to count - 1 of a sample they were obtained from.
void ReleaseSamplePlanes(IMediaSample* sample, DWORD count) {
    ISamplePlanes* access = nullptr;
    if (FAILED(sample->QueryInterface(IID_ISamplePlanes, reinterpret_cast<void**>(&access))) || access == nullptr) {
        return;
    }
    for (LONG index = 0; index < static_cast<LONG>(count); ++index) static_cast<void>(access->ReleasePlane(0, index));
    access->Release();
}

// The plane interface hands out pointers only: the sample's own buffer is
// what can tell where they end. Planes outside it cannot be checked.
bool LocateSamplePlanes(IMediaSample* sample, const VideoFrameLayout& frame, BufferBounds* bounds) {
    BYTE* buffer = nullptr;
    if (sample->GetPointer(&buffer) != S_OK || buffer == nullptr) return false;
    bounds->size = sample->GetSize();
    if (bounds->size <= 0) return false;
    const uintptr_t start = reinterpret_cast<uintptr_t>(buffer);
    for (int plane = 0; plane < 3; ++plane) {
        bounds->offsets[plane] = 0;
        if (frame.planes[plane] == nullptr) continue;
        const uintptr_t distance = reinterpret_cast<uintptr_t>(frame.planes[plane]) - start;
        if (distance >= static_cast<uintptr_t>(bounds->size)) return false;
        bounds->offsets[plane] = static_cast<int64_t>(distance);
    }
    return true;
}

}  // namespace

bool DescribeFrame(VideoFrameLayout* frame, const AM_MEDIA_TYPE* type, IMediaSample* sample) {
    if (frame == nullptr || type == nullptr) return false;
    FormatFacts facts;
    if (!ReadFormat(*type, frame, &facts)) return false;
    if (frame->width == 0) frame->width = facts.rowWidth;
    if (frame->width <= 0 || facts.rowWidth < 0 || frame->bitCount < 0) return false;
    if (frame->height == 0 || frame->height == INT32_MIN) return false;
    // Only the companion's samples say where the planes of these lie.
    const bool companionFormat =
        frame->fourcc == FourccP420 || frame->fourcc == FourccP422 || frame->fourcc == FourccP444;
    if (companionFormat && !facts.throughPlanes) return false;

    // Set when a sample's buffer holds the planes.
    BufferBounds bounds{0, {0, 0, 0}};
    const BufferBounds* bounded = nullptr;
    bool planesObtained = false;
    if (sample != nullptr) {
        if (facts.throughPlanes) {
            if (!GetSamplePlanes(sample, facts.planeCount, frame)) return false;
            planesObtained = true;
            if (LocateSamplePlanes(sample, *frame, &bounds)) bounded = &bounds;
        } else if (frame->planes[0] == nullptr) {
            if (sample->GetPointer(&frame->planes[0]) != S_OK || frame->planes[0] == nullptr) return false;
            bounds.size = sample->GetSize();
            if (bounds.size < 0) return false;
            bounded = &bounds;
        }
    }
    // Companion planes that cannot be checked are not drawn on.
    if ((!planesObtained || bounded != nullptr) && CompleteLayout(frame, facts, bounded)) return true;
    // A refused frame keeps none of the companion's planes.
    if (planesObtained) ReleaseSamplePlanes(sample, facts.planeCount);
    return false;
}
