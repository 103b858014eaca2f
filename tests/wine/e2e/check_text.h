// Formatted check names, and the SKIP lines of checks that cannot run yet
// (never counted as passed).
#ifndef DRAVIK_TESTS_WINE_E2E_CHECK_TEXT_H
#define DRAVIK_TESTS_WINE_E2E_CHECK_TEXT_H

#include <string>

std::string Text(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

void ReportSkip(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

#endif
