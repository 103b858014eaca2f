// The checks of playing one format's clip through the platform's graph
// manager: with stock filters only, and with the helper filter on both streams.
// The clip comes from its AVI file through File Source (Async.) and AVI
// Splitter, or, for a format the splitter does not deliver, from the tests' own source.
#ifndef DRAVIK_TESTS_WINE_E2E_PLAYBACK_CHECKS_H
#define DRAVIK_TESTS_WINE_E2E_PLAYBACK_CHECKS_H

#include "tests/wine/check_report.h"
#include "tests/wine/e2e/logo_reference.h"
#include "tests/wine/e2e/test_clip.h"

struct FormatClip {
    const TestVideoFormat* format;
    const WCHAR* path;        // the clip's AVI file; null when ownSource
    const AviContent* clip;
    bool ownSource;           // played by the tests' own source instead of the file
};

// Stock filters only (behind the source): every frame arrives byte-identical
// with start n x AvgTimePerFrame, the run ends with EC_COMPLETE, and after a
// seek to the start a second run delivers the same. Returns whether the graph built.
bool CheckStockPlayback(CCheckReport& report, const FormatClip& clip);

// Helper filters between the source and the grabber and on the audio path:
// frames blended as the reference computes (overlay on) or byte-identical
// (off), re-timed, counters right during and after the run, a second run after
// a seek, and which allocator the helper's pins use.
void CheckHelperPlayback(CCheckReport& report, const FormatClip& clip, const CLogoReference& logo, bool overlay);

// What stands between the clip's source and the last grabber.
enum class Passage {
    // The control: the stock grabber passes samples in place, so the last
    // grabber gets the very sample objects the first one saw.
    GrabberOnly,
    // This runtime's grabber passes no allocator requirements on and gives the
    // helper no say in the upstream allocator: every frame still arrives,
    // blended as the reference computes from what the first grabber saw and
    // re-timed; whether as copies is reported.
    GrabberThenHelper,
    // The tests' own tap hands the helper's requirements on, so the helper
    // shares the writable upstream allocator: blended frames, and the very
    // sample objects the tap saw.
    TapThenHelper,
};

void CheckSamplePassage(CCheckReport& report, const FormatClip& clip, const CLogoReference& logo, Passage passage);

// A helper restricted to another subtype is refused, one restricted to the
// clip's own subtype is connected.
void CheckSubtypeRestriction(CCheckReport& report, const FormatClip& clip, const GUID& otherSubtype);

#endif
