#include "platform/Workers.h"

#include <system_error>
#include <utility>

namespace tolvar::platform {

Workers::Workers(int threads, std::size_t queueLimit) : queueLimit_(queueLimit) {
    // Fewer helpers only means less at once: the waiting thread runs whatever is left.
    try {
        for (int i = 1; i < threads; ++i) {
            helpers_.emplace_back([this] { help(); });
        }
    } catch (const std::system_error&) {
    }
}

Workers::~Workers() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    ready_.notify_all();
    for (std::thread& helper : helpers_) {
        helper.join();
    }
}

void Workers::post(std::function<void()> job) {
    {
        std::unique_lock lock(mutex_);
        while (!failure_ && queue_.size() >= queueLimit_) {
            runOne(lock);
        }
        if (failure_) {
            return;
        }
        queue_.push_back(std::move(job));
    }
    ready_.notify_one();
}

void Workers::wait() {
    std::unique_lock lock(mutex_);
    while (!queue_.empty()) {
        runOne(lock);
    }
    idle_.wait(lock, [this] { return running_ == 0; });
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

void Workers::help() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (closing_) {
            return;
        }
        runOne(lock);
    }
}

void Workers::runOne(std::unique_lock<std::mutex>& lock) {
    std::function<void()> job = std::move(queue_.front());
    queue_.pop_front();
    ++running_;
    lock.unlock();
    std::exception_ptr failure;
    try {
        job();
    } catch (...) {
        failure = std::current_exception();
    }
    // Whatever the job held (open folders among it) is let go before the next one starts.
    job = nullptr;
    lock.lock();
    --running_;
    if (failure && !failure_) {
        failure_ = failure;
        failed_.store(true, std::memory_order_relaxed);
        queue_.clear();
    }
    if (running_ == 0) {
        idle_.notify_all();
    }
}

} // namespace tolvar::platform
