// One worker thread and the command handshake with it: a controller posts a
// command and blocks until the worker replies to it, exactly once.
#ifndef DRAVIK_AM_THREAD_H
#define DRAVIK_AM_THREAD_H

#include <windows.h>

#include <atomic>

#include "framework/lock.h"

class CAMThread {
public:
    // An event that cannot be created is reported through result, when given and still a success.
    explicit CAMThread(HRESULT* result);
    CAMThread(const CAMThread&) = delete;
    CAMThread& operator=(const CAMThread&) = delete;

    // The worker's body; its value becomes the thread's exit code.
    virtual DWORD ThreadMain() = 0;
    // Waits for a worker that still runs. A derived class whose worker may not
    // have entered ThreadMain yet joins it in its own destructor.
    virtual ~CAMThread();

    // Starts the worker unless a thread handle is already held (even of an ended thread).
    BOOL StartThread();
    // Waits for the worker to end and lets its handle go.
    void JoinThread();
    // Whether a thread handle is held, running or ended.
    BOOL ThreadExists() const { return threadHandle_.load() != nullptr; }

    // Controller side: posts the command and blocks for the reply; E_FAIL
    // without a thread, or once the worker has ended.
    DWORD SendCommand(DWORD command);

    // Worker side. The command stays posted until ReplyCommand, so a command
    // peeked deep in a loop can be fetched again by WaitCommand and answered there.
    DWORD WaitCommand();
    BOOL PeekCommand(DWORD* command);
    void ReplyCommand(DWORD value);

private:
    static DWORD WINAPI ThreadEntry(LPVOID parameter);
    // Takes the handle out atomically, so only one caller waits for and closes it.
    void WaitForThreadEnd();
    // The worker's last step: from now on every command is answered E_FAIL.
    void MarkWorkerEnded();

    HANDLE commandEvent_;
    HANDLE replyEvent_;
    DWORD command_ = 0;
    DWORD replyValue_ = 0;
    std::atomic<HANDLE> threadHandle_{nullptr};
    CLock accessLock_;
    // Leaf lock, taken after accessLock_: a command is posted and the worker
    // ends under it, so a command posted to an ending worker is answered.
    CLock postLock_;
    bool workerEnded_ = false;
};

#endif
