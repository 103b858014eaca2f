#include "framework/am_thread.h"

namespace {

typedef HRESULT(WINAPI* CoInitializeExFunction)(LPVOID reserved, DWORD flags);

// The worker joins the multithreaded apartment only when the COM library is
// already in the process; it never loads it.
HRESULT JoinComApartment() {
    HMODULE library = GetModuleHandleA("ole32.dll");
    if (library == nullptr) return E_FAIL;
    FARPROC address = GetProcAddress(library, "CoInitializeEx");
    if (address == nullptr) return E_FAIL;
    CoInitializeExFunction initialise =
        reinterpret_cast<CoInitializeExFunction>(reinterpret_cast<void*>(address));
    return initialise(nullptr, COINIT_DISABLE_OLE1DDE | COINIT_MULTITHREADED);
}

}  // namespace

CAMThread::CAMThread(HRESULT* result)
    : commandEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      replyEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if ((commandEvent_ == nullptr || replyEvent_ == nullptr) && result != nullptr && SUCCEEDED(*result)) {
        *result = E_OUTOFMEMORY;
    }
}

CAMThread::~CAMThread() {
    WaitForThreadEnd();
    if (replyEvent_ != nullptr) CloseHandle(replyEvent_);
    if (commandEvent_ != nullptr) CloseHandle(commandEvent_);
}

BOOL CAMThread::StartThread() {
    CLockGuard guard(accessLock_);
    if (threadHandle_.load() != nullptr) return FALSE;
    {
        CLockGuard postGuard(postLock_);
        workerEnded_ = false;
    }
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
    threadHandle_.store(thread);
    return thread != nullptr;
}

void CAMThread::JoinThread() { WaitForThreadEnd(); }

void CAMThread::WaitForThreadEnd() {
    HANDLE thread = threadHandle_.exchange(nullptr);
    if (thread == nullptr) return;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

DWORD CAMThread::SendCommand(DWORD command) {
    CLockGuard guard(accessLock_);
    if (threadHandle_.load() == nullptr || commandEvent_ == nullptr || replyEvent_ == nullptr) {
        return static_cast<DWORD>(E_FAIL);
    }
    {
        CLockGuard postGuard(postLock_);
        if (workerEnded_) return static_cast<DWORD>(E_FAIL);
        command_ = command;
        SetEvent(commandEvent_);
    }
    WaitForSingleObject(replyEvent_, INFINITE);
    return replyValue_;
}

DWORD CAMThread::WaitCommand() {
    WaitForSingleObject(commandEvent_, INFINITE);
    return command_;
}

BOOL CAMThread::PeekCommand(DWORD* command) {
    if (WaitForSingleObject(commandEvent_, 0) != WAIT_OBJECT_0) return FALSE;
    if (command != nullptr) *command = command_;
    return TRUE;
}

void CAMThread::MarkWorkerEnded() {
    CLockGuard postGuard(postLock_);
    workerEnded_ = true;
    // A controller that posted before the end would otherwise wait for ever.
    if (WaitForSingleObject(commandEvent_, 0) == WAIT_OBJECT_0) ReplyCommand(static_cast<DWORD>(E_FAIL));
}

void CAMThread::ReplyCommand(DWORD value) {
    replyValue_ = value;
    ResetEvent(commandEvent_);
    SetEvent(replyEvent_);
}

DWORD WINAPI CAMThread::ThreadEntry(LPVOID parameter) {
    CAMThread* thread = static_cast<CAMThread*>(parameter);
    const HRESULT joined = JoinComApartment();
    const DWORD exitCode = thread->ThreadMain();
    if (SUCCEEDED(joined)) CoUninitialize();
    thread->MarkWorkerEnded();
    return exitCode;
}
