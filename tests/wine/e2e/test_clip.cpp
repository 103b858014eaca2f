#include "tests/wine/e2e/test_clip.h"

AviContent MakeTestClip(const TestVideoFormat& format) {
    AviContent clip = {};
    clip.video = FrameHeader(format, kClipWidth, kClipHeight);
    clip.microSecondsPerFrame = static_cast<DWORD>(kClipFrameTime / 10);
    clip.audio.wFormatTag = WAVE_FORMAT_PCM;
    clip.audio.nChannels = 2;
    clip.audio.nSamplesPerSec = 48000;
    clip.audio.wBitsPerSample = 16;
    clip.audio.nBlockAlign = 4;
    clip.audio.nAvgBytesPerSec = 48000 * 4;
    const size_t audioPerFrame = clip.audio.nAvgBytesPerSec / 25;
    for (int i = 0; i < kClipFrames; ++i) {
        clip.frames.push_back(MakeFrame(format, kClipWidth, kClipHeight, i));
        std::vector<BYTE> audio(audioPerFrame);
        for (size_t k = 0; k < audio.size(); ++k) audio[k] = static_cast<BYTE>(k * 3 + i);
        clip.audioChunks.push_back(std::move(audio));
    }
    return clip;
}

DWORD ClipAudioBytes(const AviContent& clip) {
    DWORD total = 0;
    for (const auto& chunk : clip.audioChunks) total += static_cast<DWORD>(chunk.size());
    return total;
}
