// Media types as upstream filters announce them, for the helper filter's tests.
#ifndef DRAVIK_TESTS_MEDIA_TYPE_BUILDERS_H
#define DRAVIK_TESTS_MEDIA_TYPE_BUILDERS_H

#include <dshow.h>
#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <mmreg.h>

#include "framework/media_type.h"

// Video with a VIDEOINFOHEADER (or VIDEOINFOHEADER2) and empty rectangles.
inline void MakeVideo(COwnedMediaType* type, const GUID& subtype, LONG width, LONG height, bool header2 = false,
                      REFERENCE_TIME frameTime = 400000) {
    type->SetMajorType(MEDIATYPE_Video);
    type->SetSubtype(subtype);
    type->SetFormatType(header2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo);
    const ULONG size = header2 ? sizeof(VIDEOINFOHEADER2) : sizeof(VIDEOINFOHEADER);
    BYTE* block = type->ReserveFormatBlock(size);
    memset(block, 0, size);
    BITMAPINFOHEADER* bitmap;
    if (header2) {
        VIDEOINFOHEADER2* video = reinterpret_cast<VIDEOINFOHEADER2*>(block);
        video->AvgTimePerFrame = frameTime;
        bitmap = &video->bmiHeader;
    } else {
        VIDEOINFOHEADER* video = reinterpret_cast<VIDEOINFOHEADER*>(block);
        video->AvgTimePerFrame = frameTime;
        bitmap = &video->bmiHeader;
    }
    bitmap->biSize = sizeof(BITMAPINFOHEADER);
    bitmap->biWidth = width;
    bitmap->biHeight = height;
    bitmap->biPlanes = 1;
    bitmap->biBitCount = 16;
    bitmap->biCompression = subtype.Data1;
    bitmap->biSizeImage = static_cast<DWORD>(width * (height < 0 ? -height : height) * 2);
}

// Audio with a WAVEFORMATEX (tag given) or, for WAVE_FORMAT_EXTENSIBLE, a WAVEFORMATEXTENSIBLE.
inline void MakeAudio(COwnedMediaType* type, const GUID& subtype, WORD tag, WORD bits, WORD channels = 2,
                      const GUID& subFormat = KSDATAFORMAT_SUBTYPE_PCM) {
    type->SetMajorType(MEDIATYPE_Audio);
    type->SetSubtype(subtype);
    type->SetFormatType(FORMAT_WaveFormatEx);
    const bool extensible = tag == WAVE_FORMAT_EXTENSIBLE;
    const ULONG size = extensible ? sizeof(WAVEFORMATEXTENSIBLE) : sizeof(WAVEFORMATEX);
    BYTE* block = type->ReserveFormatBlock(size);
    memset(block, 0, size);
    WAVEFORMATEX* wave = reinterpret_cast<WAVEFORMATEX*>(block);
    wave->wFormatTag = tag;
    wave->nChannels = channels;
    wave->nSamplesPerSec = 48000;
    wave->wBitsPerSample = bits;
    wave->nBlockAlign = static_cast<WORD>(channels * bits / 8);
    wave->nAvgBytesPerSec = wave->nSamplesPerSec * wave->nBlockAlign;
    if (extensible) {
        WAVEFORMATEXTENSIBLE* full = reinterpret_cast<WAVEFORMATEXTENSIBLE*>(block);
        wave->cbSize = 22;
        full->Samples.wValidBitsPerSample = bits;
        full->dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
        full->SubFormat = subFormat;
    }
}

// Audio whose block is the 16-byte PCMWAVEFORMAT of AVI files: nothing after wBitsPerSample.
inline void MakeAudioWithoutCbSize(COwnedMediaType* type, const GUID& subtype, WORD tag, WORD bits, WORD channels = 2) {
    COwnedMediaType full;
    MakeAudio(&full, subtype, tag, bits, channels);
    type->SetMajorType(MEDIATYPE_Audio);
    type->SetSubtype(subtype);
    type->SetFormatType(FORMAT_WaveFormatEx);
    memcpy(type->ReserveFormatBlock(sizeof(PCMWAVEFORMAT)), full.pbFormat, sizeof(PCMWAVEFORMAT));
}

#endif
