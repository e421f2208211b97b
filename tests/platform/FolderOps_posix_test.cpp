#include "platform/FolderOpsFixture.h"
#include "platform/FsFailure.h"
#include "runtime/core/Failure.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <grp.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// What only POSIX file systems have: links the copy keeps as links, special files, the immutable
// flag, and processes killed at any instant.
namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;
namespace seam = tolvar::platform::testing;

TEST_F(FolderOpsTest, ReplaceKeepsLinksAsLinksAndRefusesSpecialFilesLeavingTheTargetAsItWas) {
    fs::create_symlink("readme.txt", source / "alias");
    stampTimes(source);
    expectReplaceSucceeds();
    ASSERT_EQ(::mkfifo((source / "bin" / "pipe").c_str(), 0644), 0);
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "pipe"));
}

// The shipped folder may lie on another file system than the product (a share, a stick), where
// the kernel cannot move contents between the two and the copy reads and writes them itself. Both
// ways, a file the target cannot take (a full disk, a quota) fails the replace, which leaves the
// previous folder as it was.
TEST_F(FolderOpsTest, EveryFileArrivesWholeOrTheReplaceFails) {
    if (!fs::is_directory("/dev/shm")) {
        GTEST_SKIP() << "no memory file system at /dev/shm";
    }
    // Removed however the test ends: the memory file system outlives the test's folder.
    const struct Away {
        fs::path path;
        ~Away() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } away{fs::path("/dev/shm") / root.filename()};
    std::string contents(300'000, '\0');
    std::generate(contents.begin(), contents.end(), std::mt19937());
    for (const fs::path& from : {source, away.path}) {
        writeFile(from / "big.bin", contents);
        writeFile(from / "empty.txt", "");
        const auto before = describeTree(target);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit limit{100'000, 100'000};
            ::signal(SIGXFSZ, SIG_IGN);
            const bool limited = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
            const std::string failure = failureOf([&] { replaceFolder(from, target); });
            const fs::path staged = fs::path(target).concat(".tolvar-new") / "big.bin";
            ::_exit(limited && failure == quoted(desc::PathFileAccessError, staged) ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(status, 0) << from;
        EXPECT_TRUE(describeTree(target) == before && entriesBesideTarget() == 1);
        replaceFolder(from, target);
        EXPECT_TRUE(readFile(target / "big.bin") == contents);
        EXPECT_EQ(fs::file_size(target / "empty.txt"), 0U);
    }
}

// The failures every backend reports, by what went wrong, in the words the user reads.
TEST(FsFailure, EachErrorIsDescribedWithThePath) {
    using std::errc;
    const std::pair<errc, const char*> errors[] = {
        {errc::no_such_file_or_directory, "Path not found"},
        {errc::not_a_directory, "Path not found"},
        {errc::permission_denied, "Permission denied"},
        {errc::operation_not_permitted, "Permission denied"},
        {errc::read_only_file_system, "Permission denied"},
        {errc::file_exists, "File already exists"},
        {errc::directory_not_empty, "File already exists"},
        {errc::no_space_on_device, "Disk full"},
        {errc::too_many_files_open, "Too many files"},
        {errc::too_many_files_open_in_system, "Too many files"},
        {errc::io_error, "Path/File access error"}};
    for (const auto& [error, description] : errors) {
        EXPECT_EQ(failureOf([e = error] { raiseFor(std::make_error_code(e), "/p"); }),
                  quoted(description, "/p"));
    }
}

// An ordinary user needs a folder's write and list permissions to empty it (root ignores them):
// the previous install's read-only and unlistable folders, itself among them, are opened up to
// their owner first. A shipped folder the user may not list is never opened up: it fails the
// copy.
TEST_F(FolderOpsTest, AnOrdinaryUserReplacesATargetHoldingReadOnlyAndUnlistableFolders) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can become an ordinary user for the test";
    }
    writeFile(target / "read-only" / "a.txt", "old");
    writeFile(target / "unlistable" / "b.txt", "old");
    fs::permissions(target / "read-only", fs::perms(0555));
    fs::permissions(target / "unlistable", fs::perms(0000));
    fs::permissions(target, fs::perms(0555));
    ASSERT_EQ(::lchown(root.c_str(), 65534, 65534), 0);
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        ASSERT_EQ(::lchown(entry.path().c_str(), 65534, 65534), 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(65534, 65534, 65534) == 0 &&
                             ::setresuid(65534, 65534, 65534) == 0;
        const bool replaced = dropped && failureOf([&] { replaceFolder(source, target); }).empty();
        fs::permissions(source / "bin", fs::perms::none);
        const bool refused = failureOf([&] { replaceFolder(source, target); }) ==
                             quoted(desc::PermissionDenied, source / "bin");
        ::_exit(replaced && refused ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(fs::symlink_status(source / "bin").permissions(), fs::perms::none);
    fs::permissions(source / "bin", fs::perms(0755));
    expectTargetIsTheSource();
}

// An entry that cannot be moved or removed stops a step of the replace: the product keeps one
// whole folder, the previous one (put back from its parked name) or, where only removing the
// parked copy failed, the new one, and that stands as a success. What is left beside it stays
// with the lock file that records it, and the next replace finishes.
TEST_F(FolderOpsTest, AnEntryThatCannotBeMovedLeavesOneWholeFolderAndTheNextReplaceFinishes) {
    const fs::path staging = fs::path(target).concat(".tolvar-new");
    const fs::path parked = fs::path(target).concat(".tolvar-old");
    const struct {
        const char* step;
        fs::path stuck, stuckAfter;
        std::string failure;
        long entries;
    } rows[] = {
        {"copy", target, target, quoted(desc::PermissionDenied, target), 1},
        {"install", staging, staging, quoted(desc::PermissionDenied, staging), 3},
        {"copy", target / "old-only.txt", parked / "old-only.txt", "", 3},
    };
    for (const auto& [step, stuck, stuckAfter, failure, entries] : rows) {
        SCOPED_TRACE(stuck);
        writeFile(target / "old-only.txt", "previous");
        const auto before = describeTree(target);
        bool made = false;
        seam::onReplaceStep([&](const char* now) {
            if (std::string_view(now) == step) {
                made = setImmutable(stuck, true);
            }
        });
        const std::string got = failureOf([&] { replaceFolder(source, target); });
        seam::clearInjectedFailures();
        if (!made) {
            GTEST_SKIP() << "cannot set the immutable flag here";
        }
        EXPECT_EQ(got, failure);
        EXPECT_EQ(describeTree(target), failure.empty() ? describeTree(source) : before);
        EXPECT_EQ(entriesBesideTarget(), entries);
        EXPECT_TRUE(setImmutable(stuckAfter, false));
        expectReplaceSucceeds();
    }
}

namespace {

// Kills the child that runs `work` once `delay` has passed, or at the step `stopAt` (the child
// kills itself there, which is the same to the file system), and reaps it.
void runAndKill(const std::function<void()>& work, std::chrono::microseconds delay,
                const char* stopAt) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        seam::onReplaceStep([stopAt](const char* step) {
            if (stopAt != nullptr && std::string_view(step) == stopAt) {
                ::kill(::getpid(), SIGKILL);
            }
        });
        work();
        ::_exit(0);
    }
    if (stopAt == nullptr) {
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
    }
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
}

// Keeps swapping the subfolders d0, d1, ... of `folder` for links to `canary` and back, as a
// writer with rights in the product's folder could, until it is stopped.
void swapForLinks(std::stop_token stop, const fs::path& folder, const fs::path& canary,
                  int subfolders, std::atomic<int>& swaps) {
    for (int k = 0; !stop.stop_requested(); k = (k + 1) % subfolders) {
        const fs::path name = folder / ("d" + std::to_string(k));
        const fs::path aside = fs::path(name).concat(".aside");
        if (::rename(name.c_str(), aside.c_str()) != 0) {
            continue;
        }
        swaps += ::symlink(canary.c_str(), name.c_str()) == 0 ? 1 : 0;
        std::this_thread::yield();
        ::unlink(name.c_str());
        ::rename(aside.c_str(), name.c_str());
    }
}

} // namespace

// An entry at a name the record holds that was since swapped for another is not the replace's.
TEST_F(FolderOpsTest, ARecordedNameThatNowHoldsSomethingElseIsLeftAlone) {
    runAndKill([&] { replaceFolder(source, target); }, {}, "clean");
    const fs::path parked = fs::path(target).concat(".tolvar-old");
    ASSERT_TRUE(present(parked));
    fs::rename(parked, root / "moved");
    writeFile(parked / "theirs.txt", "someone else's");
    expectReplaceFails(source, quoted(desc::FileAlreadyExists, parked));
}

// For the tests that run many replaces to see which names hold what, as processes stop or other
// writers race them: a memory file system keeps names just the same, and there the flushes cost
// nothing (on a disk each waits for whatever else the machine has written).
class FolderOpsInMemoryTest : public FolderOpsTest {
protected:
    FolderOpsInMemoryTest() {
        if (fs::is_directory("/dev/shm")) {
            base = "/dev/shm";
        }
    }
};

// Killed at any moment of a replace (the steps' edges, then moments spread across the whole run),
// the product keeps its previous folder or the new one, whole; only between the two renames is
// it briefly under the parked name. The next replace brings it back before anything else (seen
// here by making that replace fail at once), and the one after leaves nothing beside it.
TEST_F(FolderOpsInMemoryTest, AReplaceKilledAtAnyMomentLeavesAWholeFolderThatTheNextOneRecovers) {
    const fs::path previous = root / "previous";
    const fs::path parked = fs::path(target).concat(".tolvar-old");
    for (int file = 0; file < 2000; ++file) {
        const std::string folder = "d" + std::to_string(file % 20);
        writeFile(source / folder / (std::to_string(file) + ".js"), std::string(200, 'n'));
        writeFile(target / folder / (std::to_string(file) + ".txt"), "old");
    }
    stampTimes(source);
    stampTimes(target);
    copyFolder(target, previous);
    const auto oldTree = describeTree(previous);
    const auto replace = [&] { replaceFolder(source, target); };

    const auto started = std::chrono::steady_clock::now();
    runAndKill(replace, {}, "none");
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    const auto newTree = describeTree(target);
    ASSERT_EQ(newTree, describeTree(source));

    const std::vector<const char*> steps = {"copy", "flush", "park", "install", "clean"};
    const int atSteps = static_cast<int>(steps.size());
    constexpr int Moments = 20;
    for (int round = 0; round < atSteps + Moments; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        replaceFolder(previous, target);
        ASSERT_EQ(describeTree(target), oldTree);

        runAndKill(replace, whole * (round - atSteps) / Moments,
                   round < atSteps ? steps[static_cast<std::size_t>(round)] : nullptr);
        const bool between = !present(target);
        const auto left = describeTree(between ? parked : target);
        EXPECT_TRUE(between ? left == oldTree : left == oldTree || left == newTree);

        seam::failCopyAfter(0, desc::DiskFull);
        EXPECT_EQ(failureOf(replace), desc::DiskFull);
        seam::clearInjectedFailures();
        EXPECT_TRUE(describeTree(target) == (between ? oldTree : left));
        EXPECT_EQ(entriesBesideTarget(), 1);
        expectReplaceSucceeds();
    }
}

// While a replace copies into its staging folder or removes the parked old one, a writer keeps
// swapping their subfolders for links to a folder outside. Nothing outside is ever written or
// removed, and a race with the removal still leaves the product one whole folder, old or new.
TEST_F(FolderOpsInMemoryTest, SubfoldersSwappedForLinksDuringAReplaceNeverLeadItOutside) {
    constexpr int Subfolders = 40;
    const fs::path previous = root / "previous";
    const fs::path canary = root / "canary";
    for (int file = 0; file < 400; ++file) {
        const std::string folder = "d" + std::to_string(file % Subfolders);
        writeFile(source / folder / (std::to_string(file) + ".js"), "new");
        writeFile(target / folder / (std::to_string(file) + ".txt"), "old");
        writeFile(canary / (std::to_string(file) + ".txt"), "canary");
    }
    copyFolder(target, previous);
    const auto canaryTree = describeTree(canary);
    const auto oldTree = describeTree(previous);
    const auto newTree = describeTree(source);

    std::atomic<int> swaps{0};
    for (const std::string step : {"copy", "clean"}) {
        const fs::path raced =
            fs::path(target).concat(step == "copy" ? ".tolvar-new" : ".tolvar-old");
        for (int round = 0; round < 10; ++round) {
            SCOPED_TRACE(step + " round " + std::to_string(round));
            replaceFolder(previous, target);
            std::optional<std::jthread> swapper;
            seam::onReplaceStep([&](const char* now) {
                if (now == step) {
                    swapper.emplace(swapForLinks, raced, canary, Subfolders, std::ref(swaps));
                }
            });
            failureOf([&] { replaceFolder(source, target); });
            seam::clearInjectedFailures();
            swapper.reset();

            ASSERT_EQ(describeTree(canary), canaryTree);
            // A staging folder the writer changed is theirs to have changed; a parked one is not
            // the product's any more.
            const auto left = describeTree(target);
            EXPECT_TRUE(step == "copy" || left == oldTree || left == newTree);
        }
    }
    EXPECT_GT(swaps, 0);
}
