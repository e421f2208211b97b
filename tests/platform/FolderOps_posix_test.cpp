#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <sys/stat.h>
#include <unistd.h>

// What only POSIX file systems have: links the copy keeps as links, special files, the immutable
// flag, and permissions that bind whoever is not root.
namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;

TEST_F(FolderOpsTest, CopyKeepsLinksAndOverwriteNeverWritesThroughOne) {
    fs::create_symlink("readme.txt", source / "alias");
    fs::create_symlink("/nowhere/at/all", source / "dangling");
    stampTimes(source);
    copyFolder(source, root / "copy", false);
    EXPECT_EQ(describeTree(root / "copy"), describeTree(source));

    writeFile(root / "outside.txt", "outside");
    fs::remove(target / "readme.txt");
    fs::create_symlink(root / "outside.txt", target / "readme.txt");
    copyFolder(source, target, true);
    EXPECT_EQ(readFile(root / "outside.txt"), "outside");
    EXPECT_EQ(describeTree(target / "readme.txt"), describeTree(source / "readme.txt"));
}

TEST_F(FolderOpsTest, ReplaceRefusesSpecialFilesAndLeavesTargetAsItWas) {
    ASSERT_EQ(::mkfifo((source / "bin" / "pipe").c_str(), 0644), 0);
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "pipe"));
}

TEST_F(FolderOpsTest, ReplaceIntoAFolderThatCannotBeChangedLeavesItAsItWas) {
    if (!setImmutable(install, true)) {
        if (::geteuid() == 0)
            GTEST_SKIP() << "cannot set the immutable flag here, and root ignores permissions";
        fs::permissions(install, fs::perms(0555));
    }
    expectReplaceFails(source,
                       quoted(desc::PermissionDenied, fs::path(target).concat(".tolvar-new")));
    setImmutable(install, false);

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
