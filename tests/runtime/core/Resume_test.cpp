#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace tolvar::rt;

TEST(Resume, AFailingStatementIsAbandonedOptionallyReportedAndTheNextOneRuns) {
    std::vector<std::string> trace;
    const auto report = [&](const std::string& description) { trace.push_back(description); };
    EXPECT_FALSE(step([&] {
        trace.push_back("before");
        raise("Overflow");
        trace.push_back("never");
    }));
    EXPECT_FALSE(step([] { raise("Path not found"); }, report));
    EXPECT_TRUE(step([&] { trace.push_back("next"); }, report));
    EXPECT_EQ(trace, (std::vector<std::string>{"before", "Path not found", "next"}));
}

TEST(Resume, AFailingTestCountsAsPassedAndOnlyRunTimeFailuresAreCaught) {
    std::string seen;
    EXPECT_TRUE(passes([]() -> bool { raise("Overflow"); }));
    EXPECT_FALSE(passes([] { return false; }, [&](const std::string& d) { seen = d; }));
    EXPECT_TRUE(
        passes([]() -> bool { raise("Overflow"); }, [&](const std::string& d) { seen = d; }));
    EXPECT_EQ(seen, "Overflow");
    EXPECT_THROW(step([] { throw std::logic_error("a bug, not a run-time failure"); }),
                 std::logic_error);
}
