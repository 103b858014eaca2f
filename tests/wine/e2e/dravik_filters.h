// The module's two filters, created the way a host creates them: through COM
// activation of the registered classes.
#ifndef DRAVIK_TESTS_WINE_E2E_DRAVIK_FILTERS_H
#define DRAVIK_TESTS_WINE_E2E_DRAVIK_FILTERS_H

#include "tests/wine/e2e/graph_helpers.h"

HRESULT CreateHelper(IBaseFilter** helper);
HRESULT CreateDummySource(IBaseFilter** source);

// Whether Dravik.dll is loaded in this process.
bool IsModuleLoaded();

#endif
