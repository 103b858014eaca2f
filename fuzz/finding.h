// How a harness reports what an oracle caught: a line naming it, then abort,
// which libFuzzer and the replay driver both count as a finding.
#ifndef DRAVIK_FUZZ_FINDING_H
#define DRAVIK_FUZZ_FINDING_H

#include <stdio.h>
#include <stdlib.h>

[[noreturn]] inline void Finding(const char* what) {
    fprintf(stderr, "finding: %s\n", what);
    abort();
}

#endif
