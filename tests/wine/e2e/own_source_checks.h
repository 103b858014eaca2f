// The seeking of the tests' own source, asked at its video pin in a graph of
// stock filters: what it refuses, a start inside the clip, and the position a
// finished run leaves.
#ifndef DRAVIK_TESTS_WINE_E2E_OWN_SOURCE_CHECKS_H
#define DRAVIK_TESTS_WINE_E2E_OWN_SOURCE_CHECKS_H

#include "tests/wine/check_report.h"
#include "tests/wine/e2e/playback_checks.h"

void CheckOwnSourceSeeking(CCheckReport& report, const FormatClip& clip);

#endif
