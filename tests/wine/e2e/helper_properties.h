// Reading and setting the helper filter's IGeneralProperties values the way
// a host does.
#ifndef DRAVIK_TESTS_WINE_E2E_HELPER_PROPERTIES_H
#define DRAVIK_TESTS_WINE_E2E_HELPER_PROPERTIES_H

#include <windows.h>
#include <dshow.h>

#include <dravik/dravik.h>

#include <string>

HRESULT ReadInt64(IBaseFilter* helper, const GUID& key, LONGLONG* value);
HRESULT ReadUInt32(IBaseFilter* helper, const GUID& key, ULONG* value);
// A VT_BSTR value, narrowed (GUID strings are ASCII).
HRESULT ReadString(IBaseFilter* helper, const GUID& key, std::string* value);
HRESULT SetOverlay(IBaseFilter* helper, bool on);
HRESULT SetInputSubtype(IBaseFilter* helper, const GUID& subtype);

// A GUID in braces, as StringFromGUID2 writes it.
std::string GuidText(const GUID& guid);

#endif
