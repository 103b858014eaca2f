#include "dummy/dummy_pin.h"

#include <dvdmedia.h>
#include <wmcodecdsp.h>

#include "framework/media_type.h"
#include "framework/source_filter.h"

namespace {

const LONG kWidth = 1920;
const LONG kHeight = 1080;

struct OfferedFormat {
    const GUID* subtype;
    DWORD compression;
    WORD bitCount;
};

// Each format is offered twice: with a VIDEOINFOHEADER2, then a VIDEOINFOHEADER.
const OfferedFormat kFormats[] = {
    {&MEDIASUBTYPE_YV12, MAKEFOURCC('Y', 'V', '1', '2'), 12}, {&MEDIASUBTYPE_I420, MAKEFOURCC('I', '4', '2', '0'), 12},
    {&MEDIASUBTYPE_NV12, MAKEFOURCC('N', 'V', '1', '2'), 12}, {&MEDIASUBTYPE_YUY2, MAKEFOURCC('Y', 'U', 'Y', '2'), 16},
    {&MEDIASUBTYPE_UYVY, MAKEFOURCC('U', 'Y', 'V', 'Y'), 16}, {&MEDIASUBTYPE_RGB32, BI_RGB, 32},
    {&MEDIASUBTYPE_RGB24, BI_RGB, 24},
};
static_assert(sizeof(kFormats) / sizeof(kFormats[0]) * 2 == CDSPin::kTypeCount, "two types per format");

void FillVideoHeader(RECT* source, RECT* target, BITMAPINFOHEADER* bitmap, const OfferedFormat& format) {
    *source = RECT{0, 0, kWidth, kHeight};
    *target = RECT{0, 0, kWidth, kHeight};
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = kWidth;
    bitmap->biHeight = kHeight;
    bitmap->biPlanes = 1;
    bitmap->biBitCount = format.bitCount;
    bitmap->biCompression = format.compression;
    bitmap->biSizeImage = BitmapImageSize(*bitmap);
}

}  // namespace

CDSPin::CDSPin(HRESULT* result, CSource* owner) : CSourceStream(nullptr, result, owner, L"Out") {}

HRESULT CDSPin::CheckPinType(const AM_MEDIA_TYPE*) { return S_OK; }

HRESULT CDSPin::MediaTypeAt(int position, COwnedMediaType* type) {
    if (type == nullptr) return E_POINTER;
    if (position < 0) return E_INVALIDARG;
    if (position >= kTypeCount) return VFW_S_NO_MORE_ITEMS;

    const OfferedFormat& format = kFormats[position / 2];
    const bool header2 = position % 2 == 0;
    const ULONG blockSize = header2 ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER);
    BYTE* block = type->ReserveFormatBlock(blockSize);
    if (block == nullptr) return E_OUTOFMEMORY;
    memset(block, 0, blockSize);

    DWORD imageSize;
    if (header2) {
        VIDEOINFOHEADER2* video = reinterpret_cast<VIDEOINFOHEADER2*>(block);
        video->dwPictAspectRatioX = 16;
        video->dwPictAspectRatioY = 9;
        FillVideoHeader(&video->rcSource, &video->rcTarget, &video->bmiHeader, format);
        imageSize = video->bmiHeader.biSizeImage;
        type->SetFormatType(FORMAT_VideoInfo2);
    } else {
        VIDEOINFOHEADER* video = reinterpret_cast<VIDEOINFOHEADER*>(block);
        FillVideoHeader(&video->rcSource, &video->rcTarget, &video->bmiHeader, format);
        imageSize = video->bmiHeader.biSizeImage;
        type->SetFormatType(FORMAT_VideoInfo);
    }
    type->SetSubtype(*format.subtype);
    type->SetMajorType(MEDIATYPE_Video);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(imageSize);
    return S_OK;
}

HRESULT CDSPin::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    CLockGuard guard(OwnerFilter->StateLock);
    if (request->cBuffers < 1) request->cBuffers = 1;
    request->cbBuffer = static_cast<LONG>(CurrentMediaType().lSampleSize);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < request->cbBuffer ? E_FAIL : S_OK;
}

HRESULT CDSPin::ProduceSample(IMediaSample*) { return S_OK; }
