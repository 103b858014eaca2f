// The worker thread and its command handshake.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "framework/am_thread.h"

namespace {

// A worker whose body the test supplies.
class CScriptedThread : public CAMThread {
public:
    explicit CScriptedThread(std::function<DWORD(CScriptedThread&)> body) : CAMThread(nullptr), body_(body) {}
    ~CScriptedThread() override { JoinThread(); }
    DWORD ThreadMain() override {
        ++runs;
        return body_(*this);
    }
    std::atomic<int> runs{0};

private:
    std::function<DWORD(CScriptedThread&)> body_;
};

// Answers every command with command + 100 until it is told 0.
DWORD Echo(CScriptedThread& thread) {
    for (;;) {
        const DWORD command = thread.WaitCommand();
        thread.ReplyCommand(command + 100);
        if (command == 0) return 0;
    }
}

TEST(AMThreadTest, SendCommandWithoutThreadFailsAtOnce) {
    CScriptedThread thread(Echo);
    EXPECT_FALSE(thread.ThreadExists());
    EXPECT_EQ(static_cast<DWORD>(E_FAIL), thread.SendCommand(1));
    EXPECT_EQ(0, thread.runs.load());
}

TEST(AMThreadTest, PeekedCommandIsFetchedAgainAndAnsweredOnce) {
    std::atomic<bool> peeked{false};
    std::atomic<bool> seenAfterReply{true};
    std::atomic<bool> checkedAfterReply{false};
    DWORD peekedCommand = 0;
    DWORD waitedCommand = 0;
    CScriptedThread thread([&](CScriptedThread& self) -> DWORD {
        DWORD command = 0;
        while (!self.PeekCommand(&command)) Sleep(1);
        peekedCommand = command;
        // Still posted: peeking again, even without an out value, sees it.
        peeked = self.PeekCommand(nullptr) == TRUE;
        waitedCommand = self.WaitCommand();
        self.ReplyCommand(waitedCommand + 100);
        // Answered: the command is gone until the next one is posted.
        seenAfterReply = self.PeekCommand(nullptr) == TRUE;
        checkedAfterReply = true;
        return Echo(self);
    });
    ASSERT_TRUE(thread.StartThread());
    EXPECT_EQ(107u, thread.SendCommand(7));
    EXPECT_TRUE(peeked);
    EXPECT_EQ(7u, peekedCommand);
    EXPECT_EQ(7u, waitedCommand);
    while (!checkedAfterReply) Sleep(1);
    EXPECT_FALSE(seenAfterReply);
    // One reply per command: the next exchange gets its own answer, not a stale one.
    EXPECT_EQ(108u, thread.SendCommand(8));
    EXPECT_EQ(100u, thread.SendCommand(0));
    thread.JoinThread();
    EXPECT_FALSE(thread.ThreadExists());
}

TEST(AMThreadTest, CommandsFromSeveralControllersAreAnsweredOneAtATime) {
    CScriptedThread thread(Echo);
    ASSERT_TRUE(thread.StartThread());
    std::atomic<int> wrong{0};
    std::vector<std::thread> controllers;
    for (DWORD base = 1; base <= 4; ++base) {
        controllers.emplace_back([&, base] {
            for (DWORD i = 0; i < 50; ++i) {
                const DWORD command = base * 1000 + i;
                if (thread.SendCommand(command) != command + 100) ++wrong;
            }
        });
    }
    for (std::thread& controller : controllers) controller.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(100u, thread.SendCommand(0));
}

TEST(AMThreadTest, SecondStartWhileTheHandleIsHeldStartsNothing) {
    std::atomic<bool> finished{false};
    CScriptedThread thread([&](CScriptedThread&) -> DWORD {
        finished = true;
        return 0;
    });
    ASSERT_TRUE(thread.StartThread());
    EXPECT_TRUE(thread.ThreadExists());
    while (!finished) Sleep(1);
    // The body has returned, but its handle is still held.
    EXPECT_FALSE(thread.StartThread());
    thread.JoinThread();
    EXPECT_EQ(1, thread.runs.load());
    thread.JoinThread();

    finished = false;
    ASSERT_TRUE(thread.StartThread());
    thread.JoinThread();
    EXPECT_EQ(2, thread.runs.load());
}

TEST(AMThreadTest, DestructionWaitsForTheWorker) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, release);
    std::atomic<bool> bodyStarted{false};
    std::atomic<bool> bodyReturned{false};
    struct CBlockingThread : CAMThread {
        CBlockingThread(HANDLE event, std::atomic<bool>* started, std::atomic<bool>* returned)
            : CAMThread(nullptr), event_(event), started_(started), returned_(returned) {}
        // Uses only what outlives the object: its destruction is what the test waits in.
        DWORD ThreadMain() override {
            HANDLE event = event_;
            std::atomic<bool>* returned = returned_;
            *started_ = true;
            WaitForSingleObject(event, INFINITE);
            Sleep(20);
            *returned = true;
            return 0;
        }
        HANDLE event_;
        std::atomic<bool>* started_;
        std::atomic<bool>* returned_;
    };
    CBlockingThread* thread = new CBlockingThread(release, &bodyStarted, &bodyReturned);
    ASSERT_TRUE(thread->StartThread());
    // Only the base part is left while the destructor waits, so the body must be under way.
    while (!bodyStarted) Sleep(1);
    std::thread releaser([release] {
        Sleep(50);
        SetEvent(release);
    });
    delete thread;
    EXPECT_TRUE(bodyReturned);
    releaser.join();
    CloseHandle(release);
}

// CoInitializeEx from the worker's body answers S_FALSE when the thread has
// already joined an apartment.
DWORD ProbeApartment(CScriptedThread&, HRESULT* probe) {
    *probe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(*probe)) CoUninitialize();
    return 0;
}

TEST(AMThreadTest, WorkerJoinsTheApartmentWhenComIsLoaded) {
    // Using the COM library loads it into the process.
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
    ASSERT_NE(nullptr, GetModuleHandleA("ole32.dll"));
    HRESULT probe = E_UNEXPECTED;
    CScriptedThread thread([&](CScriptedThread& self) { return ProbeApartment(self, &probe); });
    ASSERT_TRUE(thread.StartThread());
    thread.JoinThread();
    EXPECT_EQ(S_FALSE, probe);
}

TEST(AMThreadDeathTest, WorkerStaysOutOfComWhenItIsNotLoaded) {
    // A fresh process, in which nothing has used COM yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (GetModuleHandleA("ole32.dll") != nullptr) _exit(2);
            HRESULT probe = E_UNEXPECTED;
            CScriptedThread thread([&](CScriptedThread& self) { return ProbeApartment(self, &probe); });
            if (!thread.StartThread()) _exit(3);
            thread.JoinThread();
            _exit(probe == S_OK ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
