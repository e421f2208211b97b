#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tolvar::rt;

TEST(Resume, AFailingStatementIsAbandonedAndTheNextOneRuns) {
    std::vector<std::string> trace;
    step([&] {
        trace.push_back("before");
        raise("Overflow");
        trace.push_back("never");
    });
    step([&] { trace.push_back("next"); });
    EXPECT_EQ(trace, (std::vector<std::string>{"before", "next"}));
}

TEST(Resume, AReportedFailureCarriesItsDescription) {
    std::vector<std::string> reported;
    const bool completed =
        step([] { raise("Path not found"); }, [&](const std::string& d) { reported.push_back(d); });
    EXPECT_FALSE(completed);
    EXPECT_EQ(reported, std::vector<std::string>{"Path not found"});
    EXPECT_TRUE(step([] {}, [&](const std::string& d) { reported.push_back(d); }));
    EXPECT_EQ(reported.size(), 1u);
}

TEST(Resume, AFailingTestCountsAsPassed) {
    EXPECT_TRUE(passes([]() -> bool { raise("Overflow"); }));
    EXPECT_FALSE(passes([] { return false; }));
    std::string seen;
    EXPECT_TRUE(
        passes([]() -> bool { raise("Overflow"); }, [&](const std::string& d) { seen = d; }));
    EXPECT_EQ(seen, "Overflow");
}

TEST(Resume, OnlyRunTimeFailuresAreCaught) {
    EXPECT_THROW(step([] { throw std::logic_error("a bug, not a run-time failure"); }),
                 std::logic_error);
}
