#include "tests/wine/e2e/clip_source_stream.h"

#include "framework/source_filter.h"
#include "module/com_helpers.h"

#include <cstring>
#include <utility>

namespace {

// One buffer being filled while the one before is still downstream.
constexpr LONG kFewestBuffers = 2;

constexpr DWORD kCapabilities =
    AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

}  // namespace

CClipSourceStream::CClipSourceStream(HRESULT* result, CSource* owner, const wchar_t* pinName, const AM_MEDIA_TYPE& type,
                                     std::vector<std::vector<BYTE>> chunks, std::vector<REFERENCE_TIME> times,
                                     std::vector<ChunkLabel> labels)
    : CSourceStream(L"clip source stream", result, owner, pinName),
      chunks_(std::move(chunks)),
      times_(std::move(times)),
      labels_(std::move(labels)) {
    HRESULT hr = times_.size() == chunks_.size() + 1 && labels_.size() <= chunks_.size() ? type_.Assign(type) : E_INVALIDARG;
    for (const auto& chunk : chunks_) {
        if (chunk.empty() || chunk.size() > 0x7FFFFFFF) hr = E_INVALIDARG;
        if (static_cast<LONG>(chunk.size()) > largestChunk_) largestChunk_ = static_cast<LONG>(chunk.size());
    }
    for (size_t i = 0; i + 1 < times_.size(); ++i)
        if (times_[i + 1] <= times_[i]) hr = E_INVALIDARG;
    if (result != nullptr && SUCCEEDED(*result) && FAILED(hr)) *result = hr;
}

STDMETHODIMP CClipSourceStream::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IMediaSeeking) return GetInterfacePointer(static_cast<IMediaSeeking*>(this), object);
    return CSourceStream::NonDelegatingQueryInterface(riid, object);
}

HRESULT CClipSourceStream::SingleMediaType(AM_MEDIA_TYPE* type) {
    ReleaseMediaTypeContents(type);
    return CopyMediaTypeRecord(type, type_);
}

HRESULT CClipSourceStream::ChooseBufferSizes(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (request->cBuffers < kFewestBuffers) request->cBuffers = kFewestBuffers;
    if (request->cbBuffer < largestChunk_) request->cbBuffer = largestChunk_;
    if (request->cbAlign <= 0) request->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(request, &actual);
    if (FAILED(hr)) return hr;
    return actual.cBuffers < kFewestBuffers || actual.cbBuffer < largestChunk_ ? E_FAIL : S_OK;
}

HRESULT CClipSourceStream::OnWorkerCreate() {
    CLockGuard guard(positionLock_);
    segmentStart_ = position_;
    runStarting_ = true;
    ended_ = false;
    return S_OK;
}

HRESULT CClipSourceStream::DeliveryLoop() {
    // Entered again when the filter runs after the stream ended while paused.
    if (ended_) return S_OK;
    return CSourceStream::DeliveryLoop();
}

HRESULT CClipSourceStream::ProduceSample(IMediaSample* sample) {
    CLockGuard guard(positionLock_);
    if (nextChunk_ >= chunks_.size()) {
        ended_ = true;
        return S_FALSE;
    }
    HRESULT hr = S_OK;
    if (runStarting_ && FAILED(hr = SendNewSegment(segmentStart_, Duration(), 1.0))) return hr;
    const std::vector<BYTE>& chunk = chunks_[nextChunk_];
    BYTE* data = nullptr;
    if (FAILED(hr = sample->GetPointer(&data))) return hr;
    if (sample->GetSize() < static_cast<LONG>(chunk.size())) return VFW_E_BUFFER_OVERFLOW;
    std::memcpy(data, chunk.data(), chunk.size());
    REFERENCE_TIME start = times_[nextChunk_] - segmentStart_;
    REFERENCE_TIME stop = times_[nextChunk_ + 1] - segmentStart_;
    if (FAILED(hr = sample->SetActualDataLength(static_cast<LONG>(chunk.size())))) return hr;
    const ChunkLabel label = nextChunk_ < labels_.size() ? labels_[nextChunk_] : ChunkLabel{};
    if (FAILED(hr = sample->SetTime(label.untimed ? nullptr : &start, label.untimed ? nullptr : &stop))) return hr;
    if (label.announced && FAILED(hr = sample->SetMediaType(const_cast<COwnedMediaType*>(label.announced.get()))))
        return hr;
    if (FAILED(hr = sample->SetSyncPoint(TRUE))) return hr;
    if (FAILED(hr = sample->SetDiscontinuity(runStarting_ ? TRUE : FALSE))) return hr;
    runStarting_ = false;
    ++nextChunk_;
    position_ = times_[nextChunk_];
    return S_OK;
}

STDMETHODIMP CClipSourceStream::GetCapabilities(DWORD* capabilities) {
    if (capabilities == nullptr) return E_POINTER;
    *capabilities = kCapabilities;
    return S_OK;
}

STDMETHODIMP CClipSourceStream::IsFormatSupported(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : S_FALSE;
}

STDMETHODIMP CClipSourceStream::QueryPreferredFormat(GUID* format) {
    if (format == nullptr) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

// The one format supported is the one in use.
STDMETHODIMP CClipSourceStream::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

STDMETHODIMP CClipSourceStream::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

STDMETHODIMP CClipSourceStream::SetTimeFormat(const GUID* format) {
    if (format == nullptr) return E_POINTER;
    return IsEqualGUID(*format, TIME_FORMAT_MEDIA_TIME) ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CClipSourceStream::GetDuration(LONGLONG* duration) {
    if (duration == nullptr) return E_POINTER;
    *duration = Duration();
    return S_OK;
}

STDMETHODIMP CClipSourceStream::GetStopPosition(LONGLONG* stop) {
    if (stop == nullptr) return E_POINTER;
    *stop = Duration();
    return S_OK;
}

STDMETHODIMP CClipSourceStream::GetCurrentPosition(LONGLONG* current) {
    if (current == nullptr) return E_POINTER;
    CLockGuard guard(positionLock_);
    *current = position_;
    return S_OK;
}

STDMETHODIMP CClipSourceStream::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    const DWORD currentPositioning = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopPositioning = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((currentPositioning != AM_SEEKING_NoPositioning && current == nullptr) ||
        (stopPositioning != AM_SEEKING_NoPositioning && stop == nullptr))
        return E_POINTER;
    // Only absolute starts; the stream always plays to the end of the clip.
    if (currentPositioning != AM_SEEKING_NoPositioning && currentPositioning != AM_SEEKING_AbsolutePositioning) return E_NOTIMPL;
    if (stopPositioning != AM_SEEKING_NoPositioning &&
        (stopPositioning != AM_SEEKING_AbsolutePositioning || *stop != Duration()))
        return E_NOTIMPL;
    if (currentPositioning == AM_SEEKING_AbsolutePositioning) {
        if (*current < 0 || *current > Duration()) return E_INVALIDARG;
        // A seek while streaming would need a flush, which this source does not do.
        if (OwnerFilter->CurrentState() != State_Stopped) return VFW_E_NOT_STOPPED;
        CLockGuard guard(positionLock_);
        position_ = *current;
        nextChunk_ = 0;
        while (nextChunk_ < chunks_.size() && times_[nextChunk_ + 1] <= position_) ++nextChunk_;
    }
    // Media time is reference time already: a start asked back with
    // AM_SEEKING_ReturnTime (as the graph manager does) stays as it is.
    if (stop != nullptr && (stopFlags & AM_SEEKING_ReturnTime) != 0) *stop = Duration();
    return S_OK;
}

// The rest: no one asks this source for them.
STDMETHODIMP CClipSourceStream::CheckCapabilities(DWORD*) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::ConvertTimeFormat(LONGLONG*, const GUID*, LONGLONG, const GUID*) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::GetPositions(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::GetAvailable(LONGLONG*, LONGLONG*) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::SetRate(double) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::GetRate(double*) { return E_NOTIMPL; }

STDMETHODIMP CClipSourceStream::GetPreroll(LONGLONG*) { return E_NOTIMPL; }
