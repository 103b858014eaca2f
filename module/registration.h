// Self-registration: the COM server keys under HKEY_CLASSES_ROOT and the
// filter-mapper entries of every factory row.
#ifndef DRAVIK_REGISTRATION_H
#define DRAVIK_REGISTRATION_H

#include <windows.h>
#include <dshow.h>

#include "module/filter_setup.h"

// Registers (TRUE) or unregisters (FALSE) every row of the factory table.
HRESULT RegisterServer(BOOL registering);

// "CLSID\{clsid}" = display name, with the server-type subkey holding the
// module path and its "ThreadingModel".
HRESULT WriteServerKeys(REFCLSID clsid, LPCWSTR displayName, LPCWSTR modulePath, LPCWSTR threadingModel,
                        LPCWSTR serverType);

// Deletes name under parent with everything beneath it; a missing key is
// success. A subkey that cannot be deleted is passed over, so the walk ends,
// and its failure is answered with the key itself left in place.
HRESULT DeleteKeyTree(HKEY parent, LPCWSTR name);

// Register or unregister one filter; S_FALSE for a null setup.
HRESULT RegisterFilterWithMapper2(const FilterSetup* setup, IFilterMapper2* mapper, BOOL registering);
HRESULT RegisterFilterWithMapper(const FilterSetup* setup, IFilterMapper* mapper, BOOL registering);

#endif
