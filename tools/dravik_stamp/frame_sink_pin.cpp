#include "tools/dravik_stamp/frame_sink_pin.h"

#include <cstring>

#include "module/com_helpers.h"
#include "tools/dravik_stamp/frame_packing.h"
#include "tools/dravik_stamp/frame_sink_filter.h"
#include "tools/dravik_stamp/video_media_type.h"

CFrameSinkPin::CFrameSinkPin(CFrameSink* filter, CLock* lock, HRESULT* result, const ClipFormat& format, StampedOutput* output)
    : CBaseInputPin(L"frame sink pin", filter, lock, result, L"In"), format_(format), output_(output) {}

HRESULT CFrameSinkPin::CheckPinType(const AM_MEDIA_TYPE* type) {
    REFERENCE_TIME frameTime = 0;
    DWORD interlaceFlags = 0;
    return type != nullptr && ReadVideoType(*type, format_, &frameTime, &interlaceFlags) ? S_OK : E_FAIL;
}

STDMETHODIMP CFrameSinkPin::QueryId(LPWSTR* id) { return CopyStringToTaskMemory(L"In", id); }

STDMETHODIMP CFrameSinkPin::Receive(IMediaSample* sample) {
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return TakeSample(sample);
}

HRESULT CFrameSinkPin::TakeSample(IMediaSample* sample) {
    if (!outputError_.empty()) return E_FAIL;
    // The output's header carries the frame time and interlacing agreed downstream of the helper.
    if (!formatSet_) {
        REFERENCE_TIME frameTime = 0;
        DWORD interlaceFlags = 0;
        if (!ReadVideoType(CurrentMediaType(), format_, &frameTime, &interlaceFlags)) {
            outputError_ = "the connection's media type is not the clip's";
            return E_FAIL;
        }
        output_->SetFormat(FormatWithTiming(format_, frameTime, interlaceFlags));
        formatSet_ = true;
    }
    const size_t size = format_.FrameSize();
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || sample->GetActualDataLength() < static_cast<LONG>(size)) {
        outputError_ = "a sample did not hold a whole frame";
        return E_FAIL;
    }
    const unsigned char* frame = data;
    if (format_.chroma == ChromaLayout::Planar422) {
        planar_.resize(size);
        UnpackYuy2ToPlanar422(format_, data, planar_.data());
        frame = planar_.data();
    }
    if (!output_->TakeFrame(frame, &outputError_)) return E_FAIL;
    return S_OK;
}

STDMETHODIMP CFrameSinkPin::EndOfStream() {
    const HRESULT hr = CheckReceiveState();
    if (hr != S_OK) return hr;
    ended_ = true;
    Filter()->NotifyEvent(EC_COMPLETE, S_OK, 0);
    return S_OK;
}

STDMETHODIMP CFrameSinkPin::BeginFlush() { return BeginFlushStep(); }

STDMETHODIMP CFrameSinkPin::EndFlush() { return EndFlushStep(); }
