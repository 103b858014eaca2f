// Which media types the helper filter accepts, and how a type from upstream
// is rewritten before it goes downstream. Functions of the filter's settings
// and the types involved, so the pins and the sample path share them.
#ifndef DRAVIK_MEDIA_TYPE_RULES_H
#define DRAVIK_MEDIA_TYPE_RULES_H

#include <dshow.h>

// The settings that change offered types.
struct OutputTypeOverrides {
    REFERENCE_TIME frameTime = 0;  // 0: keep upstream's AvgTimePerFrame
    DWORD interlaceFlags = 0;
    bool interlaceFlagsSet = false;
};

// The subtype whose first field is a wave-format tag.
GUID SubtypeFromWaveTag(DWORD tag);

// Compressed audio whose untimed samples are packed behind a timed one.
bool IsPackingSubtype(const GUID& subtype);
// Compressed audio whose type is relabelled downstream.
bool IsRelabelSubtype(const GUID& subtype);

// Video with either video header, or integer PCM of 8/16/24/32 bits (a wave
// block of at least 16 bytes); a required subtype other than GUID_NULL must
// match. S_OK or E_FAIL.
HRESULT CheckInputFormat(const AM_MEDIA_TYPE& type, const GUID& requiredSubtype);

// Integer PCM, plain or extensible; a non-zero bit depth must match and the
// depth is set from the type whenever its block is readable.
bool IsPcmAudioType(const AM_MEDIA_TYPE& type, WORD* bitDepth);

// A type a decoder may announce on a sample of the current audio stream,
// though no connection would take it: compressed audio that is packed (with a
// readable wave block), or PCM the input accepts when leaving such audio.
bool IsAnnouncedAudioChange(const AM_MEDIA_TYPE& current, const AM_MEDIA_TYPE& announced, const GUID& requiredSubtype);

// Completes the rectangles, applies the overrides and, on a relabelled
// stream, the wave-format-tag subtypes. Blocks too short for their format
// type are left alone.
void RewriteOutputType(AM_MEDIA_TYPE* type, const OutputTypeOverrides& overrides, bool relabelStream);

#endif
