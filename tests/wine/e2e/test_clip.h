// The short clip every format is played with: 320 x 240 at 25 frames per
// second, five frames, each followed by its share of 16-bit stereo PCM.
#ifndef DRAVIK_TESTS_WINE_E2E_TEST_CLIP_H
#define DRAVIK_TESTS_WINE_E2E_TEST_CLIP_H

#include "tests/wine/e2e/avi_writer.h"
#include "tests/wine/e2e/video_formats.h"

constexpr LONG kClipWidth = 320;
constexpr LONG kClipHeight = 240;
constexpr int kClipFrames = 5;
constexpr REFERENCE_TIME kClipFrameTime = 400000;  // 100-ns units

AviContent MakeTestClip(const TestVideoFormat& format);

// A clip of `frames` frames of width x height lasting `microSecondsPerFrame`
// each, every frame followed by its share of 16-bit stereo PCM at 48 kHz.
AviContent MakeClip(const TestVideoFormat& format, LONG width, LONG height, int frames, DWORD microSecondsPerFrame);

// Total bytes of the clip's audio stream.
DWORD ClipAudioBytes(const AviContent& clip);

#endif
