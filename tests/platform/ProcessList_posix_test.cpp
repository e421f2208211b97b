#include "platform/TreeFixture.h"
#include "platform/modAPIs.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tolvar::platform;
using tolvar::modAPIs::KillProcessById;

// A process with an empty argv[0] goes by its executable's name (here a link named for the
// test, with a ")" in it as any name may have), as kernel threads do; once it has ended, even
// unreaped, it is no longer listed under it.
// Of two with the name, the first in the walk (the lower id) is the one found.
TEST(ProcessWalk, AProcessWithoutArgv0GoesByItsExecutableUntilItEnds) {
    const std::string tag = std::to_string(::getpid());
    const fs::path link =
        fs::temp_directory_path() / ("tolvar-proc-" + tag) / ("z)" + tag + ".exe");
    fs::create_directories(link.parent_path());
    fs::create_symlink("/bin/sleep", link);
    // The argument is longer than the name, so a name laid over it would show its rest.
    std::string name, seconds = "60.0000000000000000000000000";
    char* const argv[] = {name.data(), seconds.data(), nullptr};
    pid_t children[2] = {};
    for (pid_t& child : children) {
        ASSERT_EQ(::posix_spawn(&child, link.c_str(), nullptr, nullptr, argv, environ), 0);
        // posix_spawn returns a moment before exec has put the arguments in the child's memory.
        const auto cmdline = "/proc/" + std::to_string(child) + "/cmdline";
        for (int tries = 0; tries < 5000 && std::ifstream(cmdline).peek() == EOF; ++tries) {
            ::usleep(1000);
        }
    }
    fs::remove_all(link.parent_path());

    const auto first = static_cast<std::uint32_t>(std::min(children[0], children[1]));
    const auto second = static_cast<std::uint32_t>(std::max(children[0], children[1]));
    EXPECT_EQ(findNow(link.filename().string()), first);
    KillProcessById(first);
    siginfo_t ended{};
    EXPECT_EQ(::waitid(P_PID, first, &ended, WEXITED | WNOWAIT), 0);
    EXPECT_EQ(ended.si_status, SIGKILL);
    EXPECT_EQ(findNow(link.filename().string()), second);
    for (const pid_t child : children) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
}

// kill() reads 0 as the caller's process group and a negative id as the group of that number:
// a child in a group of its own tries 0 and its own id negated, which could end only itself.
// An id past the largest one in use is no process at all.
TEST(ProcessWalk, TerminationLeavesIdsThatAreNoProcessAlone) {
    const pid_t tries = ::fork();
    ASSERT_GE(tries, 0);
    if (tries == 0) {
        ::setpgid(0, 0);
        KillProcessById(0);
        const bool ended =
            terminateProcess(0) || terminateProcess(0u - static_cast<std::uint32_t>(::getpid()));
        ::_exit(ended ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(tries, &status, 0), tries);
    EXPECT_EQ(status, 0);

    std::uint32_t pidMax = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> pidMax;
    ASSERT_GT(pidMax, 0u);
    EXPECT_FALSE(terminateProcess(pidMax));
}
