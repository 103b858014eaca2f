// HRESULTs in messages, as the platform's documentation writes them.
#ifndef DRAVIK_STAMP_HRESULT_TEXT_H
#define DRAVIK_STAMP_HRESULT_TEXT_H

#include <windows.h>

#include <string>

// "0x80004005"
std::string HresultText(HRESULT hr);

#endif
