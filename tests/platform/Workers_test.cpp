#include "platform/TreeFixture.h"
#include "platform/Workers.h"

#include <stdexcept>

// With no helper thread every job waits for wait(), which makes the order certain: the first
// failure drops the jobs behind it, so a failed copy writes nothing more into what is rolled
// back, and it is raised once.
TEST(Workers, TheFirstFailureDropsTheJobsNotStartedAndIsRaisedOnce) {
    int ran = 0;
    tolvar::platform::Workers workers(1);
    workers.post([] { throw std::runtime_error("first"); });
    for (int job = 0; job < 3; ++job) {
        workers.post([&ran] { ++ran; });
    }
    EXPECT_EQ(failureOf([&] { workers.wait(); }), "first");
    EXPECT_TRUE(workers.failed());
    EXPECT_EQ(failureOf([&] { workers.wait(); }), "");
    EXPECT_EQ(ran, 0);
}
