#include "tests/wine/check_report.h"

#include <cstdio>

bool CCheckReport::Check(bool passed, const char* what) {
    std::printf("%s: %s\n", passed ? "PASS" : "FAIL", what);
    std::fflush(stdout);
    ++(passed ? passed_ : failed_);
    return passed;
}

bool CCheckReport::CheckResult(HRESULT actual, HRESULT expected, const char* what) {
    if (actual == expected) return Check(true, what);
    std::printf("  got 0x%08lx, expected 0x%08lx\n", static_cast<unsigned long>(actual), static_cast<unsigned long>(expected));
    return Check(false, what);
}

int CCheckReport::Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return (failed_ == 0 && passed_ > 0) ? 0 : 1;
}
