// Formatted check names.
#ifndef DRAVIK_TESTS_WINE_E2E_CHECK_TEXT_H
#define DRAVIK_TESTS_WINE_E2E_CHECK_TEXT_H

#include <string>

std::string Text(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

#endif
