#include "tests/wine/e2e/clip_source_filter.h"

#include "tests/wine/e2e/clip_media_types.h"
#include "tests/wine/e2e/clip_source_stream.h"

#include <new>
#include <utility>

namespace {

// Not registered anywhere; the class ID only names the filter.
const CLSID CLSID_ClipSourceFilter = {0x3b9d6c1e, 0x52a4, 0x4f07, {0x8e, 0x61, 0xd2, 0x0a, 0x47, 0xc5, 0x19, 0x3f}};

// Makes one stream; a stream the filter could not take in is deleted here, as
// the filter's destruction would miss it.
HRESULT MakeStream(CSource* filter, const wchar_t* pinName, const AM_MEDIA_TYPE& type,
                  const std::vector<std::vector<BYTE>>& chunks, std::vector<REFERENCE_TIME> times,
                  std::vector<ChunkLabel> labels = {}) {
    HRESULT hr = S_OK;
    CClipSourceStream* stream = new (std::nothrow)
        CClipSourceStream(&hr, filter, pinName, type, chunks, std::move(times), std::move(labels));
    if (stream == nullptr) return E_OUTOFMEMORY;
    if (filter->IndexOfStream(stream) < 0) {
        delete stream;
        return FAILED(hr) ? hr : E_OUTOFMEMORY;
    }
    return hr;
}

}  // namespace

CClipSourceFilter::CClipSourceFilter() : CSource(L"clip source", nullptr, CLSID_ClipSourceFilter) {}

HRESULT CClipSourceFilter::AddStreams(const AviContent& clip, const GUID& videoSubtype) {
    COwnedMediaType videoType, audioType;
    HRESULT hr = ClipVideoType(clip, videoSubtype, &videoType);
    if (SUCCEEDED(hr)) hr = ClipAudioType(clip, &audioType);
    if (SUCCEEDED(hr)) hr = MakeStream(this, L"Video", videoType, clip.frames, ClipVideoTimes(clip));
    if (SUCCEEDED(hr)) hr = MakeStream(this, L"Audio", audioType, clip.audioChunks, ClipAudioTimes(clip));
    return hr;
}

HRESULT CClipSourceFilter::Create(const AviContent& clip, const GUID& videoSubtype, IBaseFilter** filter) {
    if (filter == nullptr) return E_POINTER;
    *filter = nullptr;
    CClipSourceFilter* created = new (std::nothrow) CClipSourceFilter();
    if (created == nullptr) return E_OUTOFMEMORY;
    return Finish(created, created->AddStreams(clip, videoSubtype), filter);
}

HRESULT CClipSourceFilter::CreateAudio(const AM_MEDIA_TYPE& type, const std::vector<std::vector<BYTE>>& chunks,
                                       std::vector<REFERENCE_TIME> times, std::vector<ChunkLabel> labels,
                                       IBaseFilter** filter) {
    if (filter == nullptr) return E_POINTER;
    *filter = nullptr;
    CClipSourceFilter* created = new (std::nothrow) CClipSourceFilter();
    if (created == nullptr) return E_OUTOFMEMORY;
    return Finish(created, MakeStream(created, L"Audio", type, chunks, std::move(times), std::move(labels)), filter);
}

HRESULT CClipSourceFilter::Finish(CClipSourceFilter* created, HRESULT built, IBaseFilter** filter) {
    HRESULT hr = built;
    if (SUCCEEDED(hr)) hr = created->NonDelegatingQueryInterface(IID_IBaseFilter, reinterpret_cast<void**>(filter));
    // Nothing holds a reference yet: a failed filter is deleted outright.
    if (FAILED(hr)) delete created;
    return hr;
}
