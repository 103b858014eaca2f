// The media types and sample times the tests' own source gives a clip's two
// streams: what the platform's AVI Splitter would offer for the same file.
#ifndef DRAVIK_TESTS_WINE_E2E_CLIP_MEDIA_TYPES_H
#define DRAVIK_TESTS_WINE_E2E_CLIP_MEDIA_TYPES_H

#include "framework/media_type.h"
#include "tests/wine/e2e/avi_writer.h"

#include <vector>

// MEDIATYPE_Video with the subtype, FORMAT_VideoInfo from the clip's frame header.
HRESULT ClipVideoType(const AviContent& clip, const GUID& subtype, COwnedMediaType* type);
// MEDIATYPE_Audio, MEDIASUBTYPE_PCM, FORMAT_WaveFormatEx with the clip's header.
HRESULT ClipAudioType(const AviContent& clip, COwnedMediaType* type);

// One entry more than there are frames (chunks): frame i lasts from entry i to
// entry i + 1, so the last entry is the stream's duration.
std::vector<REFERENCE_TIME> ClipVideoTimes(const AviContent& clip);
// Audio chunk i starts at the bytes before it played at the header's byte rate.
std::vector<REFERENCE_TIME> ClipAudioTimes(const AviContent& clip);

#endif
