#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// The progress bar on standard error while a product's folder is copied, redrawn in place a few
// times a second. Only for a person at a terminal: a disabled one draws nothing.
namespace tolvar::cli {

class Progress {
public:
    explicit Progress(bool enabled) : enabled_(enabled) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() { stop(); }

    // Draws until stop(): `done` of `total` files of `product`. `done` must outlive the drawing.
    void start(const std::string& product, std::uint64_t total,
               const std::atomic<std::uint64_t>& done);
    // Ends the drawing and clears its line.
    void stop();

private:
    void draw(const std::string& product, std::uint64_t total, std::uint64_t done) const;

    bool enabled_;
    std::thread drawer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

} // namespace tolvar::cli
