// Uncompressed AVI files of the tests' own making: one video stream and one
// PCM audio stream, interleaved chunk by chunk, with an idx1 index.
#ifndef DRAVIK_TESTS_WINE_E2E_AVI_WRITER_H
#define DRAVIK_TESTS_WINE_E2E_AVI_WRITER_H

#include <windows.h>
#include <mmreg.h>

#include <vector>

struct AviContent {
    BITMAPINFOHEADER video;  // biSizeImage is the size of every frame
    DWORD microSecondsPerFrame;
    std::vector<std::vector<BYTE>> frames;
    WAVEFORMATEX audio;  // PCM; cbSize 0
    bool shortAudioHeader = false;  // the stream format is the 16-byte PCMWAVEFORMAT, without cbSize
    std::vector<std::vector<BYTE>> audioChunks;  // chunk i follows frame i
};

// The whole file in memory; empty when the content is inconsistent (frame or
// chunk sizes, more audio chunks than frames).
std::vector<BYTE> BuildAviFile(const AviContent& content);

// Builds the file and writes it to the path.
HRESULT WriteAviFile(const WCHAR* path, const AviContent& content);

#endif
