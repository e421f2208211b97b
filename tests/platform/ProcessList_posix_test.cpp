#include "platform/ProcessList.h"
#include "platform/ProcessMatch.h"
#include "platform/modAPIs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tolvar::platform;
using tolvar::modAPIs::KillProcessById;

namespace {

std::vector<ProcessEntry> walkNow() {
    ProcessSnapshot snapshot;
    std::vector<ProcessEntry> entries;
    ProcessEntry entry;
    for (bool more = snapshot.first(entry); more; more = snapshot.next(entry))
        entries.push_back(entry);
    return entries;
}

std::optional<std::string> listedName(std::uint32_t pid) {
    for (const auto& entry : walkNow()) {
        if (entry.processId == pid)
            return entry.exeFile.data();
    }
    return std::nullopt;
}

std::optional<std::uint32_t> findNow(const std::string& wantedName) {
    ProcessSnapshot snapshot;
    return findFirstProcess(snapshot, wantedName);
}

// Per test process, so parallel runs and other tests' children never share a name.
const std::string tag = std::to_string(::getpid());

} // namespace

TEST(ProcessSnapshot, ListsThisProcessByArgv0InAscendingIds) {
    const auto entries = walkNow();
    ASSERT_GT(entries.size(), 1u);
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_LT(entries[i - 1].processId, entries[i].processId);
    EXPECT_EQ(listedName(static_cast<std::uint32_t>(::getpid())), program_invocation_name);
}

// Sleeping children started under chosen names; what a test leaves running is killed and reaped.
class ProcessWalk : public ::testing::Test {
protected:
    void TearDown() override {
        for (const pid_t pid : pids_) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    // argv[0] is `name`; with `ownGroup` the child leads a process group of its own. The
    // argument is longer than any name here, so a name laid over it would show its rest.
    std::uint32_t start(std::string name, const char* program = "/bin/sleep",
                        bool ownGroup = false) {
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, ownGroup ? POSIX_SPAWN_SETPGROUP : 0);
        std::string seconds = "60.0000000000000000000000000";
        char* const argv[] = {name.data(), seconds.data(), nullptr};
        pid_t pid = 0;
        const int error = ::posix_spawn(&pid, program, nullptr, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
        if (error != 0)
            throw std::runtime_error("posix_spawn failed");
        pids_.push_back(pid);
        // posix_spawn returns once the child has its new memory, a moment before exec has put
        // the arguments in it; until then the child is listed by its executable's name.
        const auto cmdline = "/proc/" + std::to_string(pid) + "/cmdline";
        for (int tries = 0; std::ifstream(cmdline).peek() == EOF; ++tries) {
            if (tries == 5000)
                throw std::runtime_error("the child never showed its arguments");
            ::usleep(1000);
        }
        return static_cast<std::uint32_t>(pid);
    }

    int reap(std::uint32_t pid) {
        int status = 0;
        ::waitpid(static_cast<pid_t>(pid), &status, 0);
        std::erase(pids_, static_cast<pid_t>(pid));
        return status;
    }

    std::vector<pid_t> pids_;
};

TEST_F(ProcessWalk, MatchesRunningProcessesByTheirReportedNames) {
    const std::string wanted = "Node" + tag + ".exe";
    const struct {
        std::string argv0;
        bool matches;
    } cases[] = {
        {"NODE" + tag + ".EXE", true},
        {"C:\\Tools\\node" + tag + ".exe", true},
        {"/opt/tools/node" + tag + ".exe", true},
        {"  node" + tag + ".exe ", true},
        {"anode" + tag + ".exe", false},
    };
    for (const auto& c : cases) {
        const auto pid = start(c.argv0);
        EXPECT_EQ(findNow(wanted), c.matches ? std::optional(pid) : std::nullopt) << c.argv0;
        EXPECT_EQ(findNow(" " + wanted), std::nullopt) << c.argv0;
        KillProcessById(pid);
        EXPECT_EQ(reap(pid), SIGKILL);
    }

    const auto one = start("NODE" + tag + ".EXE");
    const auto two = start("NODE" + tag + ".EXE");
    EXPECT_EQ(findNow(wanted), std::min(one, two));

    const std::string longName(300, 'n');
    EXPECT_EQ(listedName(start(longName)), longName.substr(0, 259));
}

// With argv[0] empty the name is the executable's own (here a link named for the test), as for
// kernel threads; once the process has ended, even unreaped, it is no longer listed.
TEST_F(ProcessWalk, NamesProcessesWithoutArgv0AndDropsEndedOnes) {
    const std::string name = "z" + tag + ".exe";
    const fs::path folder = fs::temp_directory_path() / ("tolvar-proc-" + tag);
    fs::create_directories(folder);
    fs::create_symlink("/bin/sleep", folder / name);
    const auto pid = start("", (folder / name).c_str());
    fs::remove_all(folder);

    EXPECT_EQ(findNow(name), pid);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, pid, &info, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(findNow(name), std::nullopt);
}

// Each case is staged so that a wrong signal could reach only a process of this test's own.
TEST_F(ProcessWalk, TerminationLeavesIdsThatAreNoProcessAlone) {
    // kill(0) would end the caller's process group: a child in a group of its own tries.
    const pid_t tries = ::fork();
    ASSERT_GE(tries, 0);
    if (tries == 0) {
        ::setpgid(0, 0);
        KillProcessById(0);
        ::_exit(terminateProcess(0) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(tries, &status, 0), tries);
    EXPECT_EQ(status, 0);

    // An id past the positive range would address the group of the same number, negated.
    const auto leader = start("leader" + tag, "/bin/sleep", true);
    EXPECT_FALSE(terminateProcess(0u - leader));
    EXPECT_EQ(::waitpid(static_cast<pid_t>(leader), nullptr, WNOHANG), 0);

    std::uint32_t pidMax = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> pidMax;
    ASSERT_GT(pidMax, 0u);
    EXPECT_FALSE(terminateProcess(pidMax));
}
