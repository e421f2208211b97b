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

std::optional<std::uint32_t> findNow(const std::string& wantedName) {
    ProcessSnapshot snapshot;
    return findFirstProcess(snapshot, wantedName);
}

// Per test process, so parallel runs and other tests' children never share a name.
const std::string tag = std::to_string(::getpid());

} // namespace

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

    // Waits for the child to end, leaving it unreaped; the signal that ended it.
    int killedBy(std::uint32_t pid) {
        siginfo_t ended{};
        return ::waitid(P_PID, pid, &ended, WEXITED | WNOWAIT) == 0 ? ended.si_status : -1;
    }

    std::vector<pid_t> pids_;
};

// Processes are listed by argv[0] as given, in ascending ids, and the first whose name matches
// is the one ended. With argv[0] empty the name is the executable's own (here a link named for
// the test), as for kernel threads; once such a process has ended, even unreaped, it is no
// longer listed under it.
TEST_F(ProcessWalk, ListsByArgv0AndEndsTheFirstMatchOnly) {
    const auto listed = walkNow();
    EXPECT_EQ(
        std::adjacent_find(listed.begin(), listed.end(),
                           [](const auto& a, const auto& b) { return a.processId >= b.processId; }),
        listed.end());
    const auto self = std::find_if(listed.begin(), listed.end(), [](const ProcessEntry& entry) {
        return entry.processId == static_cast<std::uint32_t>(::getpid());
    });
    ASSERT_NE(self, listed.end());
    EXPECT_STREQ(self->exeFile.data(), program_invocation_name);

    const std::string wanted = "Node" + tag + ".exe";
    start("anode" + tag + ".exe");
    const auto one = start("C:\\Tools\\NODE" + tag + ".EXE");
    const auto two = start("  /opt/node" + tag + ".exe ");
    EXPECT_EQ(findNow(" " + wanted), std::nullopt);
    ASSERT_EQ(findNow(wanted), std::min(one, two));
    KillProcessById(std::min(one, two));
    EXPECT_EQ(killedBy(std::min(one, two)), SIGKILL);
    EXPECT_EQ(findNow(wanted), std::max(one, two));

    const std::string longName(300, 'n');
    start(longName);
    EXPECT_EQ(findNow(longName.substr(0, 259)), pids_.back());

    const fs::path link = fs::temp_directory_path() / ("tolvar-proc-" + tag) / ("z" + tag + ".exe");
    fs::create_directories(link.parent_path());
    fs::create_symlink("/bin/sleep", link);
    const auto nameless = start("", link.c_str());
    fs::remove_all(link.parent_path());
    EXPECT_EQ(findNow(link.filename().string()), nameless);
    KillProcessById(nameless);
    EXPECT_EQ(killedBy(nameless), SIGKILL);
    EXPECT_EQ(findNow(link.filename().string()), std::nullopt);
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
