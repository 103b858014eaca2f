// Events between a test and the threads it starts: one thread waits until
// another has reached a point, never for a guessed time.
#ifndef DRAVIK_TESTS_THREAD_EVENTS_H
#define DRAVIK_TESTS_THREAD_EVENTS_H

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

// Set once, waited for by any number of threads.
class OneShotEvent {
public:
    void Set() {
        std::lock_guard<std::mutex> guard(mutex_);
        set_ = true;
        changed_.notify_all();
    }
    void Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return set_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool set_ = false;
};

// Runs the work on a thread of its own. A deadlock cannot be undone, so when
// the work has not finished in time the test process ends here, saying what hung.
inline void FinishWithin(std::chrono::seconds limit, const char* what, const std::function<void()>& work) {
    std::packaged_task<void()> task(work);
    std::future<void> done = task.get_future();
    std::thread worker(std::move(task));
    if (done.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "HUNG: %s\n", what);
        std::fflush(stderr);
        std::abort();
    }
    worker.join();
}

#endif
