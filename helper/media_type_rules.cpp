#include "helper/media_type_rules.h"

#include <ks.h>
#include <wmcodecdsp.h>
#include <ksmedia.h>

#include <stdint.h>

#include "framework/format_blocks.h"

namespace {

const DWORD kRelabelledAc3Tag = 0x2000;
const DWORD kRelabelledDtsTag = 0x2001;

// |value|; the most negative one, which has no positive twin, gives the largest.
LONG Magnitude(LONG value) {
    if (value == INT32_MIN) return INT32_MAX;
    return value < 0 ? -value : value;
}

// A rectangle edge that is still 0 takes the bitmap's extent.
void CompleteRectangles(RECT* source, RECT* target, const BITMAPINFOHEADER& bitmap) {
    const LONG width = Magnitude(bitmap.biWidth);
    const LONG height = Magnitude(bitmap.biHeight);
    if (source->right == 0) source->right = width;
    if (source->bottom == 0) source->bottom = height;
    if (target->right == 0) target->right = width;
    if (target->bottom == 0) target->bottom = height;
}

void RelabelWaveFormat(AM_MEDIA_TYPE* type, const GUID& subtype, DWORD tag) {
    type->subtype = subtype;
    if (PCMWAVEFORMAT* wave = PcmWaveFormatOf(*type)) {
        wave->wf.nBlockAlign = 1;
        wave->wf.wFormatTag = static_cast<WORD>(tag);
    }
}

}  // namespace

GUID SubtypeFromWaveTag(DWORD tag) {
    GUID subtype = MEDIASUBTYPE_PCM;
    subtype.Data1 = tag;
    return subtype;
}

bool IsPackingSubtype(const GUID& subtype) {
    return subtype == MEDIASUBTYPE_DOLBY_AC3 || subtype == SubtypeFromWaveTag(kRelabelledAc3Tag) ||
           subtype == MEDIASUBTYPE_DTS || subtype == SubtypeFromWaveTag(kRelabelledDtsTag) ||
           subtype == MEDIASUBTYPE_RAW_AAC1;
}

bool IsRelabelSubtype(const GUID& subtype) {
    return subtype == MEDIASUBTYPE_DOLBY_AC3 || subtype == MEDIASUBTYPE_DTS || subtype == MEDIASUBTYPE_RAW_AAC1;
}

HRESULT CheckInputFormat(const AM_MEDIA_TYPE& type, const GUID& requiredSubtype) {
    if (requiredSubtype != GUID_NULL && type.subtype != requiredSubtype) return E_FAIL;
    if (type.majortype == MEDIATYPE_Video) {
        return (VideoInfoOf(type) != nullptr || VideoInfo2Of(type) != nullptr) ? S_OK : E_FAIL;
    }
    if (type.majortype != MEDIATYPE_Audio || type.subtype != MEDIASUBTYPE_PCM) return E_FAIL;
    const PCMWAVEFORMAT* wave = PcmWaveFormatOf(type);
    if (wave == nullptr) return E_FAIL;
    const WORD bits = wave->wBitsPerSample;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return E_FAIL;
    if (wave->wf.wFormatTag == WAVE_FORMAT_PCM) return S_OK;
    const WAVEFORMATEXTENSIBLE* extensible = WaveFormatExtensibleOf(type);
    return (extensible != nullptr && extensible->SubFormat == KSDATAFORMAT_SUBTYPE_PCM) ? S_OK : E_FAIL;
}

bool IsPcmAudioType(const AM_MEDIA_TYPE& type, WORD* bitDepth) {
    if (type.subtype != MEDIASUBTYPE_PCM) return false;
    const PCMWAVEFORMAT* wave = PcmWaveFormatOf(type);
    if (wave == nullptr) return false;
    if (*bitDepth != 0 && *bitDepth != wave->wBitsPerSample) return false;
    *bitDepth = wave->wBitsPerSample;
    if (wave->wf.wFormatTag == WAVE_FORMAT_PCM) return true;
    const WAVEFORMATEXTENSIBLE* extensible = WaveFormatExtensibleOf(type);
    return extensible != nullptr && extensible->SubFormat == KSDATAFORMAT_SUBTYPE_PCM;
}

bool IsAnnouncedAudioChange(const AM_MEDIA_TYPE& current, const AM_MEDIA_TYPE& announced, const GUID& requiredSubtype) {
    if (current.majortype != MEDIATYPE_Audio || announced.majortype != MEDIATYPE_Audio) return false;
    if (IsPackingSubtype(announced.subtype)) return PcmWaveFormatOf(announced) != nullptr;
    return IsPackingSubtype(current.subtype) && CheckInputFormat(announced, requiredSubtype) == S_OK;
}

void RewriteOutputType(AM_MEDIA_TYPE* type, const OutputTypeOverrides& overrides, bool relabelStream) {
    if (VIDEOINFOHEADER* video = VideoInfoOf(*type)) {
        if (overrides.frameTime != 0) video->AvgTimePerFrame = overrides.frameTime;
        CompleteRectangles(&video->rcSource, &video->rcTarget, video->bmiHeader);
    } else if (VIDEOINFOHEADER2* video2 = VideoInfo2Of(*type)) {
        if (overrides.frameTime != 0) video2->AvgTimePerFrame = overrides.frameTime;
        if (overrides.interlaceFlagsSet) video2->dwInterlaceFlags = overrides.interlaceFlags;
        CompleteRectangles(&video2->rcSource, &video2->rcTarget, video2->bmiHeader);
    }

    if (type->subtype == MEDIASUBTYPE_DOLBY_AC3 && relabelStream) {
        RelabelWaveFormat(type, SubtypeFromWaveTag(kRelabelledAc3Tag), kRelabelledAc3Tag);
    } else if (type->subtype == MEDIASUBTYPE_DTS && relabelStream) {
        RelabelWaveFormat(type, SubtypeFromWaveTag(kRelabelledDtsTag), kRelabelledDtsTag);
    } else if (type->subtype == MEDIASUBTYPE_RAW_AAC1) {
        if (PCMWAVEFORMAT* wave = PcmWaveFormatOf(*type)) wave->wf.nBlockAlign = 1;
    }
}
