// Registering Dravik.dll (beside this program) with the platform's regsvr32,
// as an installer does before a host can activate the filters.
#ifndef DRAVIK_TESTS_WINE_E2E_MODULE_REGISTRATION_H
#define DRAVIK_TESTS_WINE_E2E_MODULE_REGISTRATION_H

#include <windows.h>

// regsvr32 /s, or regsvr32 /s /u; S_OK when it exits with 0.
HRESULT RegisterModule(bool unregister);

#endif
