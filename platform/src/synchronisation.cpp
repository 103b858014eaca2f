// Critical sections, events and threads over POSIX threads.
#include <windows.h>

#include <errno.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <new>

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::storage), "critical section storage");

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) { return reinterpret_cast<pthread_mutex_t*>(section->storage); }

thread_local DWORD lastError = 0;

void InitCondition(pthread_cond_t* condition) {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(condition, &attributes);
    pthread_condattr_destroy(&attributes);
}

// Every handle is one of these; events and threads share the wait machinery.
struct WaitableObject {
    enum class Kind { Event, Thread } kind;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t changed;
    bool signalled = false;
    bool manualReset = true;
    // Threads only.
    pthread_t thread{};
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    DWORD exitCode = STILL_ACTIVE;
    // A thread object is freed when both its handle is closed and the thread has ended.
    int owners = 1;

    explicit WaitableObject(Kind k) : kind(k) { InitCondition(&changed); }
    ~WaitableObject() {
        pthread_cond_destroy(&changed);
        pthread_mutex_destroy(&mutex);
    }
};

void DropOwner(WaitableObject* object) {
    pthread_mutex_lock(&object->mutex);
    const bool last = --object->owners == 0;
    pthread_mutex_unlock(&object->mutex);
    if (last) delete object;
}

void* ThreadTrampoline(void* argument) {
    WaitableObject* object = static_cast<WaitableObject*>(argument);
    const DWORD code = object->start(object->parameter);
    pthread_mutex_lock(&object->mutex);
    object->exitCode = code;
    object->signalled = true;
    pthread_cond_broadcast(&object->changed);
    pthread_mutex_unlock(&object->mutex);
    DropOwner(object);
    return nullptr;
}

timespec DeadlineAfter(DWORD milliseconds) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

}  // namespace

extern "C" void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(MutexOf(section), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

extern "C" void DeleteCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_destroy(MutexOf(section)); }

extern "C" void EnterCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_lock(MutexOf(section)); }

extern "C" void LeaveCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_unlock(MutexOf(section)); }

extern "C" BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return pthread_mutex_trylock(MutexOf(section)) == 0;
}

extern "C" HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR) {
    WaitableObject* event = new (std::nothrow) WaitableObject(WaitableObject::Kind::Event);
    if (event == nullptr) {
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    event->manualReset = manualReset != FALSE;
    event->signalled = initialState != FALSE;
    return event;
}

extern "C" BOOL SetEvent(HANDLE handle) {
    WaitableObject* event = static_cast<WaitableObject*>(handle);
    if (event == nullptr || event->kind != WaitableObject::Kind::Event) return FALSE;
    pthread_mutex_lock(&event->mutex);
    event->signalled = true;
    pthread_cond_broadcast(&event->changed);
    pthread_mutex_unlock(&event->mutex);
    return TRUE;
}

extern "C" BOOL ResetEvent(HANDLE handle) {
    WaitableObject* event = static_cast<WaitableObject*>(handle);
    if (event == nullptr || event->kind != WaitableObject::Kind::Event) return FALSE;
    pthread_mutex_lock(&event->mutex);
    event->signalled = false;
    pthread_mutex_unlock(&event->mutex);
    return TRUE;
}

extern "C" HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                               LPVOID parameter, DWORD, LPDWORD threadId) {
    WaitableObject* object = new (std::nothrow) WaitableObject(WaitableObject::Kind::Thread);
    if (object == nullptr) {
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    object->start = start;
    object->parameter = parameter;
    object->owners = 2;  // the handle and the running thread
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    if (stackSize != 0) pthread_attr_setstacksize(&attributes, stackSize);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    const int failed = pthread_create(&object->thread, &attributes, ThreadTrampoline, object);
    pthread_attr_destroy(&attributes);
    if (failed != 0) {
        delete object;
        lastError = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    if (threadId != nullptr) *threadId = 0;
    return object;
}

extern "C" BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    WaitableObject* object = static_cast<WaitableObject*>(handle);
    if (object == nullptr || object->kind != WaitableObject::Kind::Thread || exitCode == nullptr) return FALSE;
    pthread_mutex_lock(&object->mutex);
    *exitCode = object->exitCode;
    pthread_mutex_unlock(&object->mutex);
    return TRUE;
}

extern "C" DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    WaitableObject* object = static_cast<WaitableObject*>(handle);
    if (object == nullptr) {
        lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    const timespec deadline = DeadlineAfter(milliseconds == INFINITE ? 0 : milliseconds);
    pthread_mutex_lock(&object->mutex);
    DWORD result = WAIT_OBJECT_0;
    while (!object->signalled) {
        if (milliseconds == 0) {
            result = WAIT_TIMEOUT;
            break;
        }
        if (milliseconds == INFINITE) {
            pthread_cond_wait(&object->changed, &object->mutex);
        } else if (pthread_cond_timedwait(&object->changed, &object->mutex, &deadline) == ETIMEDOUT &&
                   !object->signalled) {
            result = WAIT_TIMEOUT;
            break;
        }
    }
    if (result == WAIT_OBJECT_0 && object->kind == WaitableObject::Kind::Event && !object->manualReset) {
        object->signalled = false;
    }
    pthread_mutex_unlock(&object->mutex);
    return result;
}

extern "C" BOOL CloseHandle(HANDLE handle) {
    WaitableObject* object = static_cast<WaitableObject*>(handle);
    if (object == nullptr) {
        lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (object->kind == WaitableObject::Kind::Thread) {
        DropOwner(object);
    } else {
        delete object;
    }
    return TRUE;
}

extern "C" DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

extern "C" void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec duration{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&duration, &duration) != 0 && errno == EINTR) {
    }
}

extern "C" DWORD GetTickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

extern "C" DWORD GetLastError() { return lastError; }

extern "C" void SetLastError(DWORD error) { lastError = error; }
