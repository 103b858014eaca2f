// Talks to the helper filter through IGeneralProperties: the tool's switches
// go in before the graph runs, the counters come out at the end.
#ifndef DRAVIK_STAMP_HELPER_PROPERTIES_H
#define DRAVIK_STAMP_HELPER_PROPERTIES_H

#include <dshow.h>

#include <string>

#include "tools/dravik_stamp/stamp_options.h"

// The overlay switch, and the frame-time and interlace overrides when asked for.
HRESULT ApplyHelperSettings(IBaseFilter* helper, const StampOptions& options, std::string* error);

// One "name: value" line per counter and setting the helper reports.
std::string DescribeHelperCounters(IBaseFilter* helper);

#endif
