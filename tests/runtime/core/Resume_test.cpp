#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace tolvar::rt;

TEST(Resume, AFailingStatementIsAbandonedAFailingTestPassesAndOnlyRunTimeFailuresAreCaught) {
    std::vector<std::string> trace;
    const auto report = [&](const std::string& description) { trace.push_back(description); };
    EXPECT_FALSE(step([&] {
        trace.push_back("before");
        raise("Overflow");
        trace.push_back("never");
    }));
    EXPECT_FALSE(step([] { raise("Path not found"); }, report));
    EXPECT_TRUE(step([&] { trace.push_back("next"); }, report));
    EXPECT_FALSE(passes([] { return false; }, report));
    EXPECT_TRUE(passes([]() -> bool { raise("Overflow"); }));
    EXPECT_TRUE(passes([]() -> bool { raise("Overflow"); }, report));
    EXPECT_EQ(trace, (std::vector<std::string>{"before", "Path not found", "next", "Overflow"}));
    EXPECT_THROW(step([] { throw std::logic_error("a bug, not a run-time failure"); }),
                 std::logic_error);
}
