#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// What only POSIX file systems have: links the copy keeps as links, special files and the
// immutable flag.
namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;

// The next rename from this path fails as if the disk were full.
static std::string failRenameFrom;

// Every rename of the program passes here, defined in the test program ahead of the C
// library's: the move of the new copy into place can fail for real only when another writer
// takes the name in the moment between two renames.
extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned int flags) noexcept {
    if (!failRenameFrom.empty() && failRenameFrom == from) {
        failRenameFrom.clear();
        errno = ENOSPC;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}

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
    if (!setImmutable(target, true))
        GTEST_SKIP() << "cannot set the immutable flag here";
    expectReplaceFails(source, quoted(desc::PermissionDenied, target));
}

TEST_F(FolderOpsTest, ReplaceWhoseNewCopyCannotTakeTheNamePutsTheOldFolderBack) {
    const fs::path staging = fs::path(target).concat(".tolvar-new");
    failRenameFrom = staging.string();
    expectReplaceFails(source, quoted(desc::DiskFull, staging));
    EXPECT_TRUE(failRenameFrom.empty()) << "the new copy was to be moved into place";
}

TEST_F(FolderOpsTest, ReplaceThatCannotRemoveTheOldCopyKeepsTheNewOneAndParksTheOld) {
    if (!setImmutable(target / "old-only.txt", true))
        GTEST_SKIP() << "cannot set the immutable flag here";
    const fs::path old = fs::path(target).concat(".tolvar-old");
    EXPECT_EQ(failureOf([&] { replaceFolder(source, target); }),
              quoted(desc::PermissionDenied, old / "old-only.txt"));
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(readFile(old / "old-only.txt"), "previous");
}
