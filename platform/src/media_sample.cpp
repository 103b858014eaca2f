#include "media_sample.h"

#include <algorithm>

#include "task_media_type.h"

namespace {

// Whether the first used bytes of a properties record hold the whole field.
bool Covers(DWORD used, size_t offset, size_t fieldSize) { return used >= offset + fieldSize; }

#define FIELD_COVERED(used, field) \
    Covers(used, offsetof(AM_SAMPLE2_PROPERTIES, field), sizeof(AM_SAMPLE2_PROPERTIES::field))

}  // namespace

PlatformMediaSample::PlatformMediaSample(IMemAllocator* allocator, BYTE* buffer, LONG size)
    : allocator_(allocator), buffer_(buffer), size_(size), actual_(size) {}

PlatformMediaSample::~PlatformMediaSample() { FreeTaskMediaType(mediaType_); }

void PlatformMediaSample::HandOut() { references_.store(1); }

void PlatformMediaSample::Reset() {
    std::lock_guard<std::mutex> guard(mutex_);
    actual_ = size_;
    flags_ = 0;
    typeSpecificFlags_ = 0;
    streamId_ = AM_STREAM_MEDIA;
    start_ = 0;
    stop_ = 0;
    mediaTimeValid_ = false;
    mediaStart_ = 0;
    mediaStop_ = 0;
    FreeTaskMediaType(mediaType_);
    mediaType_ = nullptr;
}

STDMETHODIMP PlatformMediaSample::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IMediaSample && riid != IID_IMediaSample2) return E_NOINTERFACE;
    *object = static_cast<IMediaSample2*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) PlatformMediaSample::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) PlatformMediaSample::Release() {
    const ULONG count = --references_;
    if (count == 0) {
        // Back to the pool as new; the allocator may free the sample before
        // ReleaseBuffer returns, so nothing of it is touched after the call.
        Reset();
        allocator_->ReleaseBuffer(this);
    }
    return count;
}

STDMETHODIMP PlatformMediaSample::GetPointer(BYTE** buffer) {
    if (buffer == nullptr) return E_POINTER;
    *buffer = buffer_;
    return S_OK;
}

STDMETHODIMP_(LONG) PlatformMediaSample::GetSize() { return size_; }

STDMETHODIMP PlatformMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (start == nullptr || stop == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    if ((flags_ & AM_SAMPLE_TIMEVALID) == 0) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = start_;
    if ((flags_ & AM_SAMPLE_STOPVALID) == 0) {
        *stop = start_ + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *stop = stop_;
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    std::lock_guard<std::mutex> guard(mutex_);
    // No start invalidates both times; a start alone leaves the stop unknown.
    flags_ &= ~(AM_SAMPLE_TIMEVALID | AM_SAMPLE_STOPVALID);
    if (start == nullptr) return S_OK;
    start_ = *start;
    flags_ |= AM_SAMPLE_TIMEVALID;
    if (stop != nullptr) {
        stop_ = *stop;
        flags_ |= AM_SAMPLE_STOPVALID;
    }
    return S_OK;
}

HRESULT PlatformMediaSample::TestFlag(DWORD flag) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return (flags_ & flag) != 0 ? S_OK : S_FALSE;
}

HRESULT PlatformMediaSample::ChangeFlag(DWORD flag, BOOL set) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (set) {
        flags_ |= flag;
    } else {
        flags_ &= ~flag;
    }
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::IsSyncPoint() { return TestFlag(AM_SAMPLE_SPLICEPOINT); }

STDMETHODIMP PlatformMediaSample::SetSyncPoint(BOOL syncPoint) { return ChangeFlag(AM_SAMPLE_SPLICEPOINT, syncPoint); }

STDMETHODIMP PlatformMediaSample::IsPreroll() { return TestFlag(AM_SAMPLE_PREROLL); }

STDMETHODIMP PlatformMediaSample::SetPreroll(BOOL preroll) { return ChangeFlag(AM_SAMPLE_PREROLL, preroll); }

STDMETHODIMP PlatformMediaSample::IsDiscontinuity() { return TestFlag(AM_SAMPLE_DATADISCONTINUITY); }

STDMETHODIMP PlatformMediaSample::SetDiscontinuity(BOOL discontinuity) {
    return ChangeFlag(AM_SAMPLE_DATADISCONTINUITY, discontinuity);
}

STDMETHODIMP_(LONG) PlatformMediaSample::GetActualDataLength() {
    std::lock_guard<std::mutex> guard(mutex_);
    return actual_;
}

STDMETHODIMP PlatformMediaSample::SetActualDataLength(LONG length) {
    if (length < 0) return E_INVALIDARG;
    if (length > size_) return VFW_E_BUFFER_OVERFLOW;
    std::lock_guard<std::mutex> guard(mutex_);
    actual_ = length;
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (type == nullptr) return E_POINTER;
    *type = nullptr;
    std::lock_guard<std::mutex> guard(mutex_);
    if (mediaType_ == nullptr) return S_FALSE;
    return CopyToTaskMediaType(*mediaType_, type);
}

void PlatformMediaSample::ReplaceMediaType(AM_MEDIA_TYPE* type) {
    FreeTaskMediaType(mediaType_);
    mediaType_ = type;
    if (type != nullptr) {
        flags_ |= AM_SAMPLE_TYPECHANGED;
    } else {
        flags_ &= ~AM_SAMPLE_TYPECHANGED;
    }
}

STDMETHODIMP PlatformMediaSample::SetMediaType(AM_MEDIA_TYPE* type) {
    // Copied under the lock: the type may be this sample's own one.
    std::lock_guard<std::mutex> guard(mutex_);
    AM_MEDIA_TYPE* copy = nullptr;
    if (type != nullptr) {
        const HRESULT hr = CopyToTaskMediaType(*type, &copy);
        if (FAILED(hr)) return hr;
    }
    ReplaceMediaType(copy);
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::GetMediaTime(LONGLONG* start, LONGLONG* stop) {
    if (start == nullptr || stop == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    if (!mediaTimeValid_) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = mediaStart_;
    *stop = mediaStop_;
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::SetMediaTime(LONGLONG* start, LONGLONG* stop) {
    // No start invalidates the media times; a start needs its stop.
    if (start != nullptr && stop == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(mutex_);
    mediaTimeValid_ = start != nullptr;
    if (start != nullptr) {
        mediaStart_ = *start;
        mediaStop_ = *stop;
    }
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::GetProperties(DWORD size, BYTE* properties) {
    if (size == 0) return S_OK;
    if (properties == nullptr) return E_POINTER;
    AM_SAMPLE2_PROPERTIES record;
    // No stack bytes in the padding reach the caller.
    memset(&record, 0, sizeof(record));
    {
        std::lock_guard<std::mutex> guard(mutex_);
        record.cbData = static_cast<DWORD>(std::min<size_t>(size, sizeof(record)));
        record.dwTypeSpecificFlags = typeSpecificFlags_;
        record.dwSampleFlags = flags_;
        record.lActual = actual_;
        record.tStart = start_;
        record.tStop = stop_;
        record.dwStreamId = streamId_;
        // The sample's own type, valid while the caller holds the sample.
        record.pMediaType = mediaType_;
        record.pbBuffer = buffer_;
        record.cbBuffer = size_;
    }
    memcpy(properties, &record, record.cbData);
    return S_OK;
}

STDMETHODIMP PlatformMediaSample::SetProperties(DWORD size, const BYTE* properties) {
    if (size == 0) return S_OK;
    if (properties == nullptr) return E_POINTER;
    AM_SAMPLE2_PROPERTIES record;
    if (size < sizeof(record.cbData) || size > sizeof(record)) return E_INVALIDARG;
    memset(&record, 0, sizeof(record));
    memcpy(&record, properties, size);
    if (record.cbData > sizeof(record)) return E_INVALIDARG;
    // Only the fields inside both the given size and the record's own size count.
    const DWORD used = std::min(size, record.cbData);

    if (FIELD_COVERED(used, pbBuffer) && record.pbBuffer != buffer_) return E_INVALIDARG;
    if (FIELD_COVERED(used, cbBuffer) && record.cbBuffer != size_) return E_INVALIDARG;
    if (FIELD_COVERED(used, lActual)) {
        if (record.lActual < 0) return E_INVALIDARG;
        if (record.lActual > size_) return VFW_E_BUFFER_OVERFLOW;
    }
    const bool flagsGiven = FIELD_COVERED(used, dwSampleFlags);
    std::lock_guard<std::mutex> guard(mutex_);
    AM_MEDIA_TYPE* type = nullptr;
    if (flagsGiven) {
        const DWORD flags = record.dwSampleFlags;
        if ((flags & AM_SAMPLE_STOPVALID) != 0 && (flags & AM_SAMPLE_TIMEVALID) == 0) return E_INVALIDARG;
        if ((flags & AM_SAMPLE_TYPECHANGED) != 0) {
            if (!FIELD_COVERED(used, pMediaType) || record.pMediaType == nullptr) return E_INVALIDARG;
            const HRESULT hr = CopyToTaskMediaType(*record.pMediaType, &type);
            if (FAILED(hr)) return hr;
        }
    }

    if (FIELD_COVERED(used, dwTypeSpecificFlags)) typeSpecificFlags_ = record.dwTypeSpecificFlags;
    if (flagsGiven) {
        flags_ = record.dwSampleFlags & ~AM_SAMPLE_TYPECHANGED;
        ReplaceMediaType(type);
    }
    if (FIELD_COVERED(used, lActual)) actual_ = record.lActual;
    if (FIELD_COVERED(used, tStart)) start_ = record.tStart;
    if (FIELD_COVERED(used, tStop)) stop_ = record.tStop;
    if (FIELD_COVERED(used, dwStreamId)) streamId_ = record.dwStreamId;
    return S_OK;
}
