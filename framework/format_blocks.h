// Typed views of a media type's format block, given only when the block is
// present and at least as long as the structure its format type names.
#ifndef DRAVIK_FORMAT_BLOCKS_H
#define DRAVIK_FORMAT_BLOCKS_H

#include <dshow.h>
#include <dvdmedia.h>
#include <mmreg.h>

template <class Block>
Block* FormatBlockAs(const AM_MEDIA_TYPE& type, const GUID& formatType) {
    if (type.formattype != formatType || type.pbFormat == nullptr || type.cbFormat < sizeof(Block)) return nullptr;
    return reinterpret_cast<Block*>(type.pbFormat);
}

inline VIDEOINFOHEADER* VideoInfoOf(const AM_MEDIA_TYPE& type) {
    return FormatBlockAs<VIDEOINFOHEADER>(type, FORMAT_VideoInfo);
}

inline VIDEOINFOHEADER2* VideoInfo2Of(const AM_MEDIA_TYPE& type) {
    return FormatBlockAs<VIDEOINFOHEADER2>(type, FORMAT_VideoInfo2);
}

inline WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& type) {
    return FormatBlockAs<WAVEFORMATEX>(type, FORMAT_WaveFormatEx);
}

// The 16 bytes every wave block starts with: AVI files store PCMWAVEFORMAT, without cbSize.
static_assert(sizeof(PCMWAVEFORMAT) == 16, "PCMWAVEFORMAT is the 16-byte wave header");
inline PCMWAVEFORMAT* PcmWaveFormatOf(const AM_MEDIA_TYPE& type) {
    return FormatBlockAs<PCMWAVEFORMAT>(type, FORMAT_WaveFormatEx);
}

// The extensible view only of a block tagged WAVE_FORMAT_EXTENSIBLE and long enough for it.
inline WAVEFORMATEXTENSIBLE* WaveFormatExtensibleOf(const AM_MEDIA_TYPE& type) {
    WAVEFORMATEXTENSIBLE* block = FormatBlockAs<WAVEFORMATEXTENSIBLE>(type, FORMAT_WaveFormatEx);
    return (block != nullptr && block->Format.wFormatTag == WAVE_FORMAT_EXTENSIBLE) ? block : nullptr;
}

// AvgTimePerFrame of either video header; 0 for anything else.
inline REFERENCE_TIME FrameTimeOf(const AM_MEDIA_TYPE& type) {
    if (const VIDEOINFOHEADER* video = VideoInfoOf(type)) return video->AvgTimePerFrame;
    if (const VIDEOINFOHEADER2* video = VideoInfo2Of(type)) return video->AvgTimePerFrame;
    return 0;
}

#endif
