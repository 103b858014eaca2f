#include "tests/wine/stress/call_watchdog.h"

#include <cstdio>

#include "tests/wine/stress/thread_inspection.h"

CCallWatchdog::CCallWatchdog(DWORD limitMs)
    : limitMs_(limitMs),
      quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      abandoned_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      thread_(nullptr) {
    InitializeCriticalSection(&lock_);
    if (quit_ != nullptr && abandoned_ != nullptr) thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    if (thread_ == nullptr) {
        std::printf("FAIL: the watchdog thread cannot be started\n");
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 2);
    }
}

CCallWatchdog::~CCallWatchdog() {
    SetEvent(quit_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(abandoned_);
    CloseHandle(quit_);
    DeleteCriticalSection(&lock_);
}

void CCallWatchdog::StartRun(int run, const std::string& what) {
    EnterCriticalSection(&lock_);
    run_ = run;
    what_ = what;
    LeaveCriticalSection(&lock_);
}

void CCallWatchdog::Enter(const char* call) {
    EnterCriticalSection(&lock_);
    call_ = call;
    since_ = GetTickCount();
    ++calls_;
    LeaveCriticalSection(&lock_);
}

void CCallWatchdog::Leave() {
    EnterCriticalSection(&lock_);
    call_ = nullptr;
    LeaveCriticalSection(&lock_);
}

DWORD WINAPI CCallWatchdog::Watch(void* parameter) {
    CCallWatchdog* self = static_cast<CCallWatchdog*>(parameter);
    while (WaitForSingleObject(self->quit_, 100) == WAIT_TIMEOUT) {
        EnterCriticalSection(&self->lock_);
        const bool hung = self->call_ != nullptr && GetTickCount() - self->since_ > self->limitMs_;
        if (hung && !AnyThreadInModule(GetModuleHandleW(L"Dravik.dll"))) {
            std::printf("  run %d (%s): %s has not returned after %lu ms, with no thread in Dravik.dll: the "
                        "platform's filters hung; the run is given up\n",
                        self->run_, self->what_.c_str(), self->call_, static_cast<unsigned long>(self->limitMs_));
            std::fflush(stdout);
            self->call_ = nullptr;
            SetEvent(self->abandoned_);
        } else if (hung) {
            std::printf("FAIL: run %d (%s): %s has not returned after %lu ms, with a thread in Dravik.dll: hang "
                        "(process 0x%lx)\n",
                        self->run_, self->what_.c_str(), self->call_, static_cast<unsigned long>(self->limitMs_),
                        static_cast<unsigned long>(GetCurrentProcessId()));
            std::fflush(stdout);
            // Kept for a debugger to attach when asked for.
            if (GetEnvironmentVariableW(L"DRAVIK_STRESS_KEEP_HUNG", nullptr, 0) != 0) Sleep(INFINITE);
            // The hung threads hold the graph's locks: nothing can be released or unloaded.
            TerminateProcess(GetCurrentProcess(), 3);
        }
        LeaveCriticalSection(&self->lock_);
    }
    return 0;
}
