#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <atomic>
#include <chrono>
#include <csignal>
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

TEST_F(FolderOpsTest, ReplaceKeepsLinksAsLinks) {
    fs::create_symlink("readme.txt", source / "alias");
    stampTimes(source);
    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));
}

TEST_F(FolderOpsTest, ReplaceRefusesSpecialFilesAndLeavesTargetAsItWas) {
    ASSERT_EQ(::mkfifo((source / "bin" / "pipe").c_str(), 0644), 0);
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "pipe"));
}

// The copy is made; putting it in place fails and undoes it.
TEST_F(FolderOpsTest, ReplaceThatCannotMoveTheTargetLeavesItAsItWas) {
    if (!setImmutable(target, true)) {
        GTEST_SKIP() << "cannot set the immutable flag here";
    }
    expectReplaceFails(source, quoted(desc::PermissionDenied, target));
}

// The previous folder is parked and the new copy cannot take its name: the previous one goes
// back, whole, and what the failed replace left is cleared by the next.
TEST_F(FolderOpsTest, ReplaceWhoseNewCopyCannotTakeTheNamePutsTheOldFolderBack) {
    const fs::path staging = fs::path(target).concat(".tolvar-new");
    const auto before = describeTree(target);
    bool stuck = false;
    seam::onReplaceStep([&](const char* step) {
        if (std::string_view(step) == "install") {
            stuck = setImmutable(staging, true);
        }
    });
    const std::string failure = failureOf([&] { replaceFolder(source, target); });
    seam::clearInjectedFailures();
    if (!stuck) {
        GTEST_SKIP() << "cannot set the immutable flag here";
    }
    EXPECT_EQ(failure, quoted(desc::PermissionDenied, staging));
    EXPECT_EQ(describeTree(target), before);

    setImmutable(staging, false);
    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(install), fs::directory_iterator()), 1);
}

// Removing the previous folder is housekeeping: the update stands, and the next one finishes it.
TEST_F(FolderOpsTest, AParkedCopyThatCannotBeRemovedLeavesASuccessAndGoesNextTime) {
    if (!setImmutable(target / "old-only.txt", true)) {
        GTEST_SKIP() << "cannot set the immutable flag here";
    }
    const fs::path old = fs::path(target).concat(".tolvar-old");
    EXPECT_EQ(failureOf([&] { replaceFolder(source, target); }), "");
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(readFile(old / "old-only.txt"), "previous");

    setImmutable(old / "old-only.txt", false);
    writeFile(source / "readme.txt", "second\n");
    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(install), fs::directory_iterator()), 1);
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
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

} // namespace

// Killed at any moment of a replace (the steps' edges, then moments spread across the whole run),
// the product keeps its previous folder or the new one, whole; only between the two renames is
// it briefly under the parked name. The next replace brings it back before anything else (seen
// here by making that replace fail at once), and the one after leaves nothing beside it.
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
    const auto newTree = describeTree(source);
    const auto replace = [&] { replaceFolder(source, target); };
    const auto siblings = [&] {
        return std::distance(fs::directory_iterator(install), fs::directory_iterator()) - 1;
    };

    const auto started = std::chrono::steady_clock::now();
    runAndKill(replace, {}, "none");
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);
    ASSERT_EQ(describeTree(target), newTree);

    const std::vector<const char*> steps = {"copy", "flush", "park", "install", "clean"};
    constexpr int Moments = 20;
    const int rounds = static_cast<int>(steps.size()) + Moments;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        replaceFolder(previous, target);
        ASSERT_EQ(describeTree(target), oldTree);

        const bool atStep = round < static_cast<int>(steps.size());
        runAndKill(replace, whole * (round - static_cast<int>(steps.size())) / Moments,
                   atStep ? steps[static_cast<std::size_t>(round)] : nullptr);
        const bool between = !present(target);
        const auto left = describeTree(between ? parked : target);
        EXPECT_TRUE(between ? left == oldTree : left == oldTree || left == newTree);

        seam::failCopyAfter(0, desc::DiskFull);
        EXPECT_EQ(failureOf(replace), desc::DiskFull);
        seam::clearInjectedFailures();
        const auto recovered = describeTree(target);
        EXPECT_TRUE(recovered == (between ? oldTree : left));
        EXPECT_EQ(siblings(), 0);

        replace();
        ASSERT_EQ(describeTree(target), newTree);
        ASSERT_EQ(siblings(), 0);
    }
}

namespace {

// Keeps swapping the subfolders d0, d1, ... of `folder` for links to `canary` and back, as a
// writer with rights in the product's folder could, until it is destroyed.
class Swapper {
public:
    Swapper(fs::path folder, fs::path canary, int subfolders)
        : folder_(std::move(folder)), canary_(std::move(canary)), subfolders_(subfolders),
          thread_([this] { run(); }) {}
    Swapper(const Swapper&) = delete;
    Swapper& operator=(const Swapper&) = delete;
    ~Swapper() {
        stop_ = true;
        thread_.join();
    }

    int swaps() const { return swaps_; }

private:
    void run() {
        while (!stop_) {
            for (int k = 0; k < subfolders_ && !stop_; ++k) {
                const fs::path name = folder_ / ("d" + std::to_string(k));
                const fs::path aside = fs::path(name).concat(".aside");
                if (::rename(name.c_str(), aside.c_str()) != 0) {
                    continue;
                }
                if (::symlink(canary_.c_str(), name.c_str()) == 0) {
                    ++swaps_;
                }
                std::this_thread::yield();
                ::unlink(name.c_str());
                ::rename(aside.c_str(), name.c_str());
            }
        }
    }

    fs::path folder_, canary_;
    int subfolders_;
    std::atomic<bool> stop_{false};
    std::atomic<int> swaps_{0};
    std::thread thread_;
};

} // namespace

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

    int swaps = 0;
    for (const char* step : {"copy", "clean"}) {
        const bool racingTheCopy = std::string_view(step) == "copy";
        const fs::path raced =
            fs::path(target).concat(racingTheCopy ? ".tolvar-new" : ".tolvar-old");
        for (int round = 0; round < 10; ++round) {
            SCOPED_TRACE(std::string(step) + " round " + std::to_string(round));
            replaceFolder(previous, target);
            std::optional<Swapper> swapper;
            seam::onReplaceStep([&](const char* now) {
                if (std::string_view(now) == step) {
                    swapper.emplace(raced, canary, Subfolders);
                }
            });
            failureOf([&] { replaceFolder(source, target); });
            seam::clearInjectedFailures();
            swaps += swapper ? swapper->swaps() : 0;
            swapper.reset();

            ASSERT_EQ(describeTree(canary), canaryTree);
            const auto left = describeTree(target);
            // A staging folder the writer changed is theirs to have changed; a parked one is not
            // the product's any more.
            if (!racingTheCopy) {
                EXPECT_TRUE(left == oldTree || left == newTree);
            }
        }
    }
    EXPECT_GT(swaps, 0);
}
