#include "platform/ProcessMatch.h"

#include <gtest/gtest.h>

#include <string>

using namespace tolvar::platform;

TEST(ProcessMatch, FormsTheCandidateAndMatchesOnlyTheWholeWantedName) {
    const struct {
        std::string exeFile, candidate;
    } names[] = {
        {"  norvikagent.exe ", "NORVIKAGENT.EXE"},
        {"C:\\Tools/sub\\x/node.exe", "NODE.EXE"},
        {std::string("node.exe\0C:\\junk", 16), "NODE.EXE"},
        // Spaces go before the directory part does.
        {"C:\\Tools\\ node.exe", " NODE.EXE"},
    };
    for (const auto& c : names) {
        EXPECT_EQ(candidateName(c.exeFile), c.candidate) << c.exeFile;
    }

    const struct {
        std::string exeFile, wanted;
        bool matches;
    } matches[] = {
        {"NODE.EXE", "Node.exe", true},
        {"norvikAgentW.exe", "norvikAgent.exe", false},
        {"norvikAgent.exe", "norvikAgentW.exe", false},
        // The wanted name is neither trimmed nor stripped of a directory.
        {" node.exe", " Node.exe", false},
    };
    for (const auto& c : matches) {
        EXPECT_EQ(matchesWanted(candidateName(c.exeFile), c.wanted), c.matches) << c.wanted;
    }
}
