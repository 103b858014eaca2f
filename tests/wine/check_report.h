// Pass/fail bookkeeping for the Windows test programs run under Wine: each
// check prints one line, the summary prints "N passed, M failed".
#ifndef DRAVIK_TESTS_WINE_CHECK_REPORT_H
#define DRAVIK_TESTS_WINE_CHECK_REPORT_H

#include <windows.h>

class CCheckReport {
public:
    // Records one check and prints it with its outcome; returns the outcome.
    bool Check(bool passed, const char* what);
    // Records a check on an HRESULT, printing the code when it differs.
    bool CheckResult(HRESULT actual, HRESULT expected, const char* what);
    // Prints the summary line; the process exit code (0 only when all passed).
    int Finish() const;

private:
    int passed_ = 0;
    int failed_ = 0;
};

#endif
