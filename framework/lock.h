// The re-entrant lock every filter, receive, state and thread lock is made of.
#ifndef DRAVIK_LOCK_H
#define DRAVIK_LOCK_H

#include <windows.h>

class CLock {
public:
    CLock() { InitializeCriticalSection(&section_); }
    ~CLock() { DeleteCriticalSection(&section_); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Lock() { EnterCriticalSection(&section_); }
    void Unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a CLock for one scope, however the scope is left.
class CLockGuard {
public:
    explicit CLockGuard(CLock& lock) : lock_(lock) { lock_.Lock(); }
    ~CLockGuard() { lock_.Unlock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CLock& lock_;
};

#endif
