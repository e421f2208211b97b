#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <sys/stat.h>
#include <unistd.h>

// What only POSIX file systems have: symbolic links the platform's std::filesystem sees, special
// files, the immutable flag, and permissions that bind whoever is not root.
namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;

class FolderOpsPosixTest : public FolderOpsTest {
protected:
    void SetUp() override {
        FolderOpsTest::SetUp();
        fs::create_symlink("readme.txt", source / "alias");
        fs::create_symlink("/nowhere/at/all", source / "dangling");
        stampTimes(source);
    }
};

TEST_F(FolderOpsPosixTest, DeleteNeverFollowsLinks) {
    fs::create_directory_symlink(source, target / "to-folder");
    fs::create_symlink(source / "readme.txt", target / "to-file");
    const auto shipped = describeTree(source);
    deleteFolder(target, true);
    EXPECT_FALSE(present(target));
    EXPECT_EQ(describeTree(source), shipped);
}

TEST_F(FolderOpsPosixTest, CopyKeepsLinksAndOverwriteNeverWritesThroughOne) {
    copyFolder(source, root / "copy", false);
    EXPECT_EQ(describeTree(root / "copy"), describeTree(source));

    writeFile(root / "outside.txt", "outside");
    fs::remove(target / "readme.txt");
    fs::create_symlink(root / "outside.txt", target / "readme.txt");
    copyFolder(source, target, true);
    EXPECT_EQ(readFile(root / "outside.txt"), "outside");
    EXPECT_EQ(describeTree(target / "readme.txt"), describeTree(source / "readme.txt"));
}

TEST_F(FolderOpsPosixTest, ReplaceRefusesSpecialFilesAndLeavesTargetAsItWas) {
    ASSERT_EQ(::mkfifo((source / "bin" / "pipe").c_str(), 0644), 0);
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "pipe"));
}

TEST_F(FolderOpsPosixTest, ReplaceIntoAFolderThatCannotBeChangedLeavesItAsItWas) {
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

TEST_F(FolderOpsPosixTest, ReplaceThatCannotRemoveTheOldCopyKeepsTheNewOneAndParksTheOld) {
    if (!setImmutable(target / "old-only.txt", true))
        GTEST_SKIP() << "cannot set the immutable flag here";
    const fs::path old = fs::path(target).concat(".tolvar-old");
    EXPECT_EQ(failureOf([&] { replaceFolder(source, target); }),
              quoted(desc::PermissionDenied, old / "old-only.txt"));
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(readFile(old / "old-only.txt"), "previous");
}
