// One run of the tool: read the clip, stamp it in the graph, write it out.
#ifndef DRAVIK_STAMP_STAMP_JOB_H
#define DRAVIK_STAMP_STAMP_JOB_H

#include <cstdio>

#include "tools/dravik_stamp/stamp_options.h"

// The exit status: 0 done, 1 failed (one line on the diagnostics stream says why).
// The counters go to the diagnostics stream; progress too when it is a terminal.
int RunStampJob(const StampOptions& options, FILE* diagnostics);

#endif
