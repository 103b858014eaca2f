// The tests' own source, in place of File Source (Async.) and AVI Splitter for
// a format this runtime's splitter does not deliver: it plays the very clip
// the AVI writer gets, a video and an audio output pin.
#ifndef DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_FILTER_H
#define DRAVIK_TESTS_WINE_E2E_CLIP_SOURCE_FILTER_H

#include "framework/source_filter.h"
#include "tests/wine/e2e/avi_writer.h"
#include "tests/wine/e2e/clip_source_stream.h"

class CClipSourceFilter : public CSource {
public:
    // A new filter playing a copy of the clip, with the video stream announced
    // as the subtype; the caller owns the one reference.
    static HRESULT Create(const AviContent& clip, const GUID& videoSubtype, IBaseFilter** filter);
    // A new filter with one pin, "Audio", connecting with `type` and playing the
    // chunks as labelled; the caller owns the one reference.
    static HRESULT CreateAudio(const AM_MEDIA_TYPE& type, const std::vector<std::vector<BYTE>>& chunks,
                               std::vector<REFERENCE_TIME> times, std::vector<ChunkLabel> labels, IBaseFilter** filter);

private:
    CClipSourceFilter();
    HRESULT AddStreams(const AviContent& clip, const GUID& videoSubtype);
    // Hands out the filter with its reference, or deletes it after a failure to build it.
    static HRESULT Finish(CClipSourceFilter* created, HRESULT built, IBaseFilter** filter);
};

#endif
