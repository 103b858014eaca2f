// 16-bit wide strings in tests: gtest's own wide-string support assumes the
// host's 32-bit wchar_t, so tests compare through these.
#ifndef DRAVIK_TESTS_WIDE_TEXT_H
#define DRAVIK_TESTS_WIDE_TEXT_H

#include <windows.h>

#include <string>
#include <vector>

// The ASCII rendering of a wide string; other characters become '?'.
std::string Narrow(const WCHAR* text);
// A terminated wide copy of an ASCII string (std::wstring would bind to the
// library's 32-bit instantiation).
std::vector<WCHAR> Widen(const std::string& text);

#endif
