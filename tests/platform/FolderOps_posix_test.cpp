#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <sys/stat.h>

// What only POSIX file systems have: links the copy keeps as links, special files and the
// immutable flag.
namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;

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

TEST_F(FolderOpsTest, ReplaceThatCannotRemoveTheOldCopyKeepsTheNewOneAndParksTheOld) {
    if (!setImmutable(target / "old-only.txt", true))
        GTEST_SKIP() << "cannot set the immutable flag here";
    const fs::path old = fs::path(target).concat(".tolvar-old");
    EXPECT_EQ(failureOf([&] { replaceFolder(source, target); }),
              quoted(desc::PermissionDenied, old / "old-only.txt"));
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(readFile(old / "old-only.txt"), "previous");
}
