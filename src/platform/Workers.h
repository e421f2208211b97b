#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvar::platform {

// Runs jobs on helper threads while the calling thread goes on producing them; the calling thread
// joins in when it waits, and when the queue is full it runs a job itself rather than queue
// another, so the jobs waiting (and whatever they hold open) stay few.
//
// The promises the folder walks build on: the first failure on any thread drops the jobs not yet
// started and is raised once, on the thread that waits, after every job that was running has
// ended; post() then takes no more jobs, and failed() tells a producer to stop early. Jobs are
// destroyed unrun when the owner leaves by a failure of its own, and every helper has ended
// before the destructor returns, so a rollback never races a copy still writing.
class Workers {
public:
    explicit Workers(int threads, std::size_t queueLimit = 128);
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers();

    void post(std::function<void()> job);
    bool failed() const { return failed_.load(std::memory_order_relaxed); }
    void wait();

private:
    void help();
    void runOne(std::unique_lock<std::mutex>& lock);

    const std::size_t queueLimit_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> queue_;
    int running_ = 0;
    bool closing_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> failed_{false};
    std::vector<std::thread> helpers_;
};

} // namespace tolvar::platform
