#include "platform/Workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using tolvar::platform::Workers;

// The first failure is raised once, on the waiting thread, only after every job that was running
// has ended; the jobs still queued are dropped, and later posts are refused until it was raised.
TEST(Workers, TheFirstFailureEndsTheRestAndIsRaisedOnceAfterEveryJobHasStopped) {
    std::atomic<int> running{0}, finished{0};
    const auto slowJob = [&] {
        ++running;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++finished;
        --running;
    };
    Workers workers(3, 1000);
    workers.post(slowJob);
    workers.post(slowJob);
    workers.post([] { throw std::runtime_error("first"); });
    for (int job = 0; job < 200; ++job) {
        workers.post(slowJob);
    }

    try {
        workers.wait();
        FAIL() << "the failure was not raised";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "first");
        EXPECT_EQ(running, 0);
    }
    EXPECT_TRUE(workers.failed());
    EXPECT_LT(finished, 10);
    EXPECT_NO_THROW(workers.wait());
}

// A full queue makes the posting thread run a job itself instead of queueing more.
TEST(Workers, AFullQueueIsWorkedOffByThePoster) {
    const std::thread::id poster = std::this_thread::get_id();
    std::atomic<int> onPoster{0}, done{0};
    Workers workers(1, 4);
    for (int job = 0; job < 50; ++job) {
        workers.post([&] {
            onPoster += std::this_thread::get_id() == poster ? 1 : 0;
            ++done;
        });
    }
    EXPECT_GE(onPoster, 46);
    workers.wait();
    EXPECT_EQ(done, 50);
}
