#include "tests/wine/e2e/clip_media_types.h"

#include <dvdmedia.h>

#include <cstring>

namespace {

constexpr LONGLONG kUnitsPerSecond = 10000000;

}  // namespace

HRESULT ClipVideoType(const AviContent& clip, const GUID& subtype, COwnedMediaType* type) {
    if (clip.microSecondsPerFrame == 0 || clip.video.biSizeImage == 0) return E_INVALIDARG;
    BYTE* block = type->ReserveFormatBlock(sizeof(VIDEOINFOHEADER));
    if (block == nullptr) return E_OUTOFMEMORY;
    VIDEOINFOHEADER video = {};
    // Empty rectangles, as the splitter gives them: the whole picture.
    video.AvgTimePerFrame = static_cast<REFERENCE_TIME>(clip.microSecondsPerFrame) * 10;
    video.bmiHeader = clip.video;
    std::memcpy(block, &video, sizeof(video));
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    type->SetMajorType(MEDIATYPE_Video);
    type->SetSubtype(subtype);
    type->SetFormatType(FORMAT_VideoInfo);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(clip.video.biSizeImage);
    return S_OK;
}

HRESULT ClipAudioType(const AviContent& clip, COwnedMediaType* type) {
    if (clip.audio.wFormatTag != WAVE_FORMAT_PCM || clip.audio.nBlockAlign == 0) return E_INVALIDARG;
    BYTE* block = type->ReserveFormatBlock(sizeof(WAVEFORMATEX));
    if (block == nullptr) return E_OUTOFMEMORY;
    WAVEFORMATEX audio = clip.audio;
    audio.cbSize = 0;
    std::memcpy(block, &audio, sizeof(audio));
    type->cbFormat = sizeof(WAVEFORMATEX);
    type->SetMajorType(MEDIATYPE_Audio);
    type->SetSubtype(MEDIASUBTYPE_PCM);
    type->SetFormatType(FORMAT_WaveFormatEx);
    type->SetTemporalCompression(FALSE);
    type->SetSampleSize(clip.audio.nBlockAlign);
    return S_OK;
}

std::vector<REFERENCE_TIME> ClipVideoTimes(const AviContent& clip) {
    const REFERENCE_TIME frameTime = static_cast<REFERENCE_TIME>(clip.microSecondsPerFrame) * 10;
    std::vector<REFERENCE_TIME> times;
    for (size_t i = 0; i <= clip.frames.size(); ++i) times.push_back(static_cast<REFERENCE_TIME>(i) * frameTime);
    return times;
}

std::vector<REFERENCE_TIME> ClipAudioTimes(const AviContent& clip) {
    std::vector<REFERENCE_TIME> times;
    LONGLONG bytes = 0;
    times.push_back(0);
    for (const auto& chunk : clip.audioChunks) {
        bytes += static_cast<LONGLONG>(chunk.size());
        times.push_back(clip.audio.nAvgBytesPerSec == 0 ? 0 : bytes * kUnitsPerSecond / clip.audio.nAvgBytesPerSec);
    }
    return times;
}
