#include "tools/dravik_stamp/clip_stream.h"

#include <cstring>

#include "framework/format_blocks.h"
#include "tools/dravik_stamp/clip_source_filter.h"
#include "tools/dravik_stamp/frame_packing.h"
#include "tools/dravik_stamp/video_media_type.h"

namespace {

// A sample held back by the helper filter, one being filled and one being written.
const LONG FewestBuffers = 3;

}  // namespace

CClipStream::CClipStream(HRESULT* result, CClipSource* owner, const ClipFormat& format, FrameSupply* supply)
    : CSourceStream(L"clip stream", result, owner, L"Out"),
      format_(format),
      supply_(supply),
      delivered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (delivered_ == nullptr && result != nullptr && SUCCEEDED(*result)) *result = E_OUTOFMEMORY;
}

CClipStream::~CClipStream() {
    if (delivered_ != nullptr) CloseHandle(delivered_);
}

HRESULT CClipStream::SingleMediaType(AM_MEDIA_TYPE* type) {
    COwnedMediaType built;
    const HRESULT hr = BuildVideoType(format_, &built);
    if (FAILED(hr)) return hr;
    ReleaseMediaTypeContents(type);
    return CopyMediaTypeRecord(type, built);
}

HRESULT CClipStream::CheckPinType(const AM_MEDIA_TYPE* type) {
    REFERENCE_TIME frameTime = 0;
    DWORD interlaceFlags = 0;
    return type != nullptr && ReadVideoType(*type, format_, &frameTime, &interlaceFlags) ? S_OK : E_FAIL;
}

HRESULT CClipStream::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    const LONG frameSize = static_cast<LONG>(format_.FrameSize());
    if (request->cBuffers < FewestBuffers) request->cBuffers = FewestBuffers;
    if (request->cbBuffer < frameSize) request->cbBuffer = frameSize;
    if (request->cbAlign <= 0) request->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cBuffers < FewestBuffers || actual.cbBuffer < frameSize ? E_FAIL : S_OK;
}

HRESULT CClipStream::ProduceSample(IMediaSample* sample) {
    switch (supply_->NextFrame(&frame_, &supplyError_)) {
        case FrameResult::End:
            return S_FALSE;
        case FrameResult::Error:
            return E_FAIL;
        case FrameResult::Frame:
            break;
    }
    const size_t size = format_.FrameSize();
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || sample->GetSize() < static_cast<LONG>(size)) {
        supplyError_ = "the graph's buffers are too small for a frame";
        return E_FAIL;
    }
    if (format_.chroma == ChromaLayout::Planar422) {
        PackPlanar422ToYuy2(format_, frame_.data(), data);
    } else {
        std::memcpy(data, frame_.data(), size);
    }
    // Frames follow each other at the frame time the connection agreed on.
    REFERENCE_TIME frameTime = FrameTimeOf(CurrentMediaType());
    if (frameTime <= 0) frameTime = FrameTimeFromRate(format_.rateNumerator, format_.rateDenominator);
    REFERENCE_TIME start = nextFrame_ * frameTime;
    REFERENCE_TIME stop = start + frameTime;
    HRESULT hr = sample->SetActualDataLength(static_cast<LONG>(size));
    if (SUCCEEDED(hr)) hr = sample->SetTime(&start, &stop);
    if (SUCCEEDED(hr)) hr = sample->SetSyncPoint(TRUE);
    if (SUCCEEDED(hr)) hr = sample->SetDiscontinuity(nextFrame_ == 0 ? TRUE : FALSE);
    if (FAILED(hr)) {
        supplyError_ = "a sample refused the frame's length or times";
        return hr;
    }
    ++nextFrame_;
    InterlockedIncrement(&framesDelivered_);
    return S_OK;
}

HRESULT CClipStream::DeliveryLoop() {
    const HRESULT hr = CSourceStream::DeliveryLoop();
    SetEvent(delivered_);
    return hr;
}

bool CClipStream::WaitUntilDelivered(DWORD milliseconds) { return WaitForSingleObject(delivered_, milliseconds) == WAIT_OBJECT_0; }
