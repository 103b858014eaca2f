// The helper on audio in the platform's graph manager: compressed audio that
// a decoder announces in-band on a PCM connection, and PCM whose AVI header
// is the 16-byte PCMWAVEFORMAT.
#ifndef DRAVIK_TESTS_WINE_E2E_AUDIO_CHECKS_H
#define DRAVIK_TESTS_WINE_E2E_AUDIO_CHECKS_H

#include "tests/wine/check_report.h"
#include "tests/wine/e2e/test_clip.h"

// The tests' own source delivers PCM whose first sample announces AC-3 and a
// later one DTS, through the helper to a Sample Grabber: the grabber sees the
// packets relabelled, with the times of their first samples, and every byte in order.
void CheckAnnouncedAudio(CCheckReport& report);

// The format's clip written with a 16-byte audio header, in a graph of File
// Source (Async.) -> AVI Splitter with the helper on the audio path: the
// helper connects, and how long a block the splitter hands on is reported.
void CheckShortWaveHeader(CCheckReport& report, const TestVideoFormat& format);

#endif
