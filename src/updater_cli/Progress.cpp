#include "updater_cli/Progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace tolvar::cli {

namespace {
constexpr int BarWidth = 30;
constexpr auto RedrawEvery = std::chrono::milliseconds(100);
} // namespace

void Progress::start(const std::string& product, std::uint64_t total,
                     const std::atomic<std::uint64_t>& done) {
    if (!enabled_) {
        return;
    }
    stop();
    stopping_ = false;
    drawer_ = std::thread([this, product, total, &done] {
        std::unique_lock lock(mutex_);
        do {
            draw(product, total, done.load(std::memory_order_relaxed));
        } while (!wake_.wait_for(lock, RedrawEvery, [this] { return stopping_; }));
    });
}

void Progress::stop() {
    if (!drawer_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    drawer_.join();
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

void Progress::draw(const std::string& product, std::uint64_t total, std::uint64_t done) const {
    const std::uint64_t shown = std::min(done, total);
    const int filled = total == 0 ? BarWidth : static_cast<int>(shown * BarWidth / total);
    std::fprintf(stderr, "\r%s [%s%s] %llu/%llu files", product.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(BarWidth - filled), '.').c_str(),
                 static_cast<unsigned long long>(shown), static_cast<unsigned long long>(total));
    std::fflush(stderr);
}

} // namespace tolvar::cli
