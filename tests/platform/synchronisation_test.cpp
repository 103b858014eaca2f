// Events, threads and critical sections carry the worker-thread handshake and
// the streaming locks natively, so their semantics must be the platform's.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

TEST(Events, AutoResetWakesOneWaitThenResets) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    SetEvent(event);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 10));
    CloseHandle(event);
}

TEST(Events, ManualResetStaysSetUntilReset) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(nullptr, event);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, INFINITE));
    ResetEvent(event);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));
    CloseHandle(event);
}

struct Shared {
    HANDLE go;
    std::atomic<int> value{0};
};

DWORD WINAPI WaitThenCount(LPVOID parameter) {
    Shared* shared = static_cast<Shared*>(parameter);
    WaitForSingleObject(shared->go, INFINITE);
    shared->value = 42;
    return 7;
}

TEST(Threads, RunWaitAndReportExitCode) {
    Shared shared;
    shared.go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitThenCount, &shared, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(STILL_ACTIVE, code);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 20));
    SetEvent(shared.go);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_EQ(42, shared.value.load());
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(7u, code);
    CloseHandle(thread);
    CloseHandle(shared.go);
}

TEST(Threads, HandleClosedBeforeTheThreadEnds) {
    Shared shared;
    shared.go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, WaitThenCount, &shared, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    CloseHandle(thread);
    SetEvent(shared.go);
    while (shared.value.load() != 42) Sleep(1);
    Sleep(5);
    CloseHandle(shared.go);
}

struct Counter {
    CRITICAL_SECTION section;
    long total = 0;
};

DWORD WINAPI AddMany(LPVOID parameter) {
    Counter* counter = static_cast<Counter*>(parameter);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&counter->section);
        EnterCriticalSection(&counter->section);  // re-entrant
        ++counter->total;
        LeaveCriticalSection(&counter->section);
        LeaveCriticalSection(&counter->section);
    }
    return 0;
}

TEST(CriticalSections, AreReentrantAndExclusive) {
    Counter counter;
    InitializeCriticalSection(&counter.section);
    HANDLE a = CreateThread(nullptr, 0, AddMany, &counter, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, AddMany, &counter, 0, nullptr);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(40000, counter.total);
    DeleteCriticalSection(&counter.section);
}

TEST(Interlocked, OperationsAnswerThePlatformValues) {
    volatile LONG value = 5;
    EXPECT_EQ(6, InterlockedIncrement(&value));
    EXPECT_EQ(5, InterlockedDecrement(&value));
    EXPECT_EQ(5, InterlockedExchange(&value, 9));
    EXPECT_EQ(9, InterlockedCompareExchange(&value, 1, 9));
    EXPECT_EQ(1, value);
    EXPECT_EQ(1, InterlockedCompareExchange(&value, 3, 9));
    EXPECT_EQ(1, value);
}

}  // namespace
