#include "tests/overlay/test_media_types.h"

#include "dravik/dravik.h"

namespace {

template <typename Value>
void WriteAt(std::vector<BYTE>& block, size_t offset, Value value) {
    memcpy(block.data() + offset, &value, sizeof value);
}

void FillBitmap(BITMAPINFOHEADER* bitmap, LONG width, LONG height, WORD bitCount, DWORD compression) {
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = width;
    bitmap->biHeight = height;
    bitmap->biPlanes = 1;
    bitmap->biBitCount = bitCount;
    bitmap->biCompression = compression;
}

}  // namespace

TestMediaType::TestMediaType(const GUID& formatType, size_t formatSize) : format_(formatSize) {
    type_.majortype = MEDIATYPE_Video;
    type_.formattype = formatType;
}

const AM_MEDIA_TYPE* TestMediaType::Get() {
    type_.cbFormat = static_cast<ULONG>(format_.size());
    type_.pbFormat = format_.empty() ? nullptr : format_.data();
    return &type_;
}

TestMediaType VideoInfoType(LONG width, LONG height, WORD bitCount, DWORD compression, LONG sourceRight) {
    TestMediaType type(FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER));
    VIDEOINFOHEADER* header = type.As<VIDEOINFOHEADER>();
    header->rcSource.right = sourceRight;
    FillBitmap(&header->bmiHeader, width, height, bitCount, compression);
    return type;
}

TestMediaType VideoInfo2Type(LONG width, LONG height, WORD bitCount, DWORD compression, LONG sourceRight) {
    TestMediaType type(FORMAT_VideoInfo2, sizeof(VIDEOINFOHEADER2));
    VIDEOINFOHEADER2* header = type.As<VIDEOINFOHEADER2>();
    header->rcSource.right = sourceRight;
    FillBitmap(&header->bmiHeader, width, height, bitCount, compression);
    return type;
}

TestMediaType PlanarVideoType(LONG width, LONG height, WORD bitCount, DWORD fourcc, DWORD planeCount,
                              DWORD planeAccess) {
    TestMediaType type(FORMAT_PlanarVideo, 120);
    std::vector<BYTE>& block = type.Format();
    WriteAt(block, 8, width);
    WriteAt(block, 72, planeAccess);
    WriteAt(block, 76, planeCount);
    WriteAt<DWORD>(block, 80, sizeof(BITMAPINFOHEADER));
    WriteAt(block, 84, width);
    WriteAt(block, 88, height);
    WriteAt(block, 94, bitCount);
    WriteAt(block, 96, fourcc);
    return type;
}
