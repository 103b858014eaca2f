#include "framework/sample_copy.h"

#include <cstring>

#include "framework/media_type.h"

HRESULT CopySampleProperties(IMediaSample* source, IMediaSample* copy) {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    // VFW_S_NO_STOP_TIME: a start time alone, which the copy keeps alone.
    const HRESULT timed = source->GetTime(&start, &stop);
    HRESULT hr = copy->SetTime(SUCCEEDED(timed) ? &start : nullptr, timed == S_OK ? &stop : nullptr);
    if (SUCCEEDED(hr)) hr = copy->SetSyncPoint(source->IsSyncPoint() == S_OK);
    if (SUCCEEDED(hr)) hr = copy->SetPreroll(source->IsPreroll() == S_OK);
    if (SUCCEEDED(hr)) hr = copy->SetDiscontinuity(source->IsDiscontinuity() == S_OK);
    if (FAILED(hr)) return hr;
    AM_MEDIA_TYPE* type = nullptr;
    if (source->GetMediaType(&type) == S_OK && type != nullptr) {
        hr = copy->SetMediaType(type);
        DeleteTaskMediaType(type);
    }
    return hr;
}

HRESULT CopySampleData(IMediaSample* source, IMediaSample* copy) {
    LONGLONG mediaStart = 0;
    LONGLONG mediaStop = 0;
    if (source->GetMediaTime(&mediaStart, &mediaStop) == S_OK) {
        const HRESULT hr = copy->SetMediaTime(&mediaStart, &mediaStop);
        if (FAILED(hr)) return hr;
    }
    const LONG length = source->GetActualDataLength();
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    if (length < 0 || length > source->GetSize() || length > copy->GetSize() || FAILED(copy->SetActualDataLength(length)) ||
        FAILED(source->GetPointer(&from)) || FAILED(copy->GetPointer(&to)) ||
        (length > 0 && (from == nullptr || to == nullptr))) {
        return E_FAIL;
    }
    if (length > 0) std::memcpy(to, from, static_cast<size_t>(length));
    return S_OK;
}
