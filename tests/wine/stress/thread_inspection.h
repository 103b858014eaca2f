// Whether a hang is the module's: a thread of this process blocked in the
// module has the module's return addresses on its live stack. A hang with
// none of them anywhere is the platform's own filters'.
#ifndef DRAVIK_TESTS_WINE_STRESS_THREAD_INSPECTION_H
#define DRAVIK_TESTS_WINE_STRESS_THREAD_INSPECTION_H

#include <windows.h>

// Walks the frames of every other thread for one inside the module's image
// (x86_64). On i686, whose frames carry no unwind data, any value inside the
// image on a live stack counts, so the answer errs towards the module there.
bool AnyThreadInModule(HMODULE module);

#endif
