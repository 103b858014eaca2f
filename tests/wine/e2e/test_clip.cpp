#include "tests/wine/e2e/test_clip.h"

AviContent MakeTestClip(const TestVideoFormat& format) {
    return MakeClip(format, kClipWidth, kClipHeight, kClipFrames, static_cast<DWORD>(kClipFrameTime / 10));
}

AviContent MakeClip(const TestVideoFormat& format, LONG width, LONG height, int frames, DWORD microSecondsPerFrame) {
    AviContent clip = {};
    clip.video = FrameHeader(format, width, height);
    clip.microSecondsPerFrame = microSecondsPerFrame;
    clip.audio.wFormatTag = WAVE_FORMAT_PCM;
    clip.audio.nChannels = 2;
    clip.audio.nSamplesPerSec = 48000;
    clip.audio.wBitsPerSample = 16;
    clip.audio.nBlockAlign = 4;
    clip.audio.nAvgBytesPerSec = 48000 * 4;
    const size_t audioPerFrame =
        static_cast<size_t>(static_cast<ULONGLONG>(clip.audio.nAvgBytesPerSec) * microSecondsPerFrame / 1000000);
    for (int i = 0; i < frames; ++i) {
        clip.frames.push_back(MakeFrame(format, width, height, i));
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
