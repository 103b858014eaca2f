// The dummy source as a host uses it: offering each of its types to the
// Sample Grabber through the helper filter, and streaming until stopped.
#ifndef DRAVIK_TESTS_WINE_E2E_DUMMY_PROBE_CHECKS_H
#define DRAVIK_TESTS_WINE_E2E_DUMMY_PROBE_CHECKS_H

#include "tests/wine/check_report.h"

// For each of the dummy source's types: a grabber set to accept exactly that
// type is connected as dummy -> helper -> grabber -> Null Renderer (without
// `throughHelper`: dummy -> grabber), samples arrive while it runs, the stop
// returns in time and no sample follows it. False when a stop hung.
bool CheckDummySourceProbe(CCheckReport& report, bool throughHelper);

#endif
