// A watchdog over the calls of a stress run: each call is named while it runs.
// A call that has not returned in time is a hang: when a thread is blocked in
// Dravik.dll it ends the process with the name of the call, since the module's
// hung graph can be neither released nor recovered; when none is, the
// platform's own filters hung, and the run is given up (see Abandoned).
#ifndef DRAVIK_TESTS_WINE_STRESS_CALL_WATCHDOG_H
#define DRAVIK_TESTS_WINE_STRESS_CALL_WATCHDOG_H

#include <windows.h>

#include <string>

class CCallWatchdog {
public:
    // Starts the watching thread; a call that takes longer than `limitMs` is a hang.
    explicit CCallWatchdog(DWORD limitMs);
    ~CCallWatchdog();
    CCallWatchdog(const CCallWatchdog&) = delete;
    CCallWatchdog& operator=(const CCallWatchdog&) = delete;

    // Names the run that starts now, for the report of a hang.
    void StartRun(int run, const std::string& what);
    // Names the call that starts now (a static string).
    void Enter(const char* call);
    void Leave();
    // How many calls were watched.
    long Calls() const { return calls_; }
    // Signalled (auto-reset) when a run hung outside the module and was given up.
    HANDLE Abandoned() const { return abandoned_; }

private:
    static DWORD WINAPI Watch(void* parameter);

    const DWORD limitMs_;
    CRITICAL_SECTION lock_;
    const char* call_ = nullptr;
    int run_ = 0;
    std::string what_;
    DWORD since_ = 0;
    long calls_ = 0;
    HANDLE quit_;
    HANDLE abandoned_;
    HANDLE thread_;
};

// Watches one call for the scope it lives in.
class CWatchedCall {
public:
    CWatchedCall(CCallWatchdog& watchdog, const char* call) : watchdog_(watchdog) { watchdog_.Enter(call); }
    ~CWatchedCall() { watchdog_.Leave(); }
    CWatchedCall(const CWatchedCall&) = delete;
    CWatchedCall& operator=(const CWatchedCall&) = delete;

private:
    CCallWatchdog& watchdog_;
};

#endif
