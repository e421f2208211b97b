#include "platform/FolderOps.h"
#include "platform/TreeFixture.h"
#include "runtime/core/Failure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;
namespace seam = tolvar::platform::testing;

namespace {

// A shipped folder with every kind of entry a copy must keep, each with its own time.
void makeSample(const fs::path& folder) {
    writeFile(folder / "readme.txt", "hello\n", fs::perms(0640));
    writeFile(folder / "bin" / "run.sh", "#!/bin/sh\n", fs::perms(0755));
    writeFile(folder / "data" / "deep" / "table.bin", std::string("\0\1\2\377", 4),
              fs::perms(0444));
    fs::create_directory(folder / "empty");
    fs::create_symlink("readme.txt", folder / "alias");
    fs::create_symlink("/nowhere/at/all", folder / "dangling");
    fs::permissions(folder / "data" / "deep", fs::perms(0555));
    long second = 1'000'000'000;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const timespec times[2] = {{second, 5}, {second++, 123'456'789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
}

} // namespace

class FolderOpsTest : public TreeFixture {
protected:
    // Everything beside the target stays as it was: the target, any squatter, no leftovers.
    void expectReplaceFails(const fs::path& from, const std::string& expected) {
        auto before = describeTree(install);
        EXPECT_EQ(failureOf([&] { replaceFolder(from, target); }), expected);
        auto after = describeTree(install);
        before.erase(".");
        after.erase(".");
        EXPECT_EQ(after, before);
    }

    void SetUp() override {
        TreeFixture::SetUp();
        source = root / "ship" / "Norvik";
        install = root / "product";
        target = install / "Norvik";
        makeSample(source);
        writeFile(target / "old-only.txt", "previous");
        writeFile(target / "readme.txt", "previous readme");
    }

    fs::path source, install, target;
};

TEST_F(FolderOpsTest, DeleteRemovesReadOnlyEntriesOnlyWithForceAndNeverFollowsLinks) {
    writeFile(target / "sealed" / "inner.txt", "x", fs::perms(0444));
    EXPECT_EQ(failureOf([&] { deleteFolder(target, false); }),
              quoted(desc::PermissionDenied, target / "sealed" / "inner.txt"));
    EXPECT_TRUE(present(target / "sealed" / "inner.txt"));

    fs::permissions(target / "sealed", fs::perms::none);
    fs::permissions(target, fs::perms(0555));
    fs::create_directory_symlink(source, target / "to-folder");
    fs::create_symlink(source / "readme.txt", target / "to-file");
    const auto shipped = describeTree(source);
    deleteFolder(target, true);
    EXPECT_FALSE(present(target));
    EXPECT_EQ(describeTree(source), shipped);
}

TEST_F(FolderOpsTest, CopyKeepsModesTimesAndLinksAndOverwriteNeverWritesThroughALink) {
    copyFolder(source, root / "copy", false);
    EXPECT_EQ(describeTree(root / "copy"), describeTree(source));
    EXPECT_EQ(failureOf([&] { copyFolder(source, source / "bin" / "again", false); }),
              quoted(desc::InvalidProcedureCall, source / "bin" / "again"));

    writeFile(root / "outside.txt", "outside");
    fs::remove(target / "readme.txt");
    fs::create_symlink(root / "outside.txt", target / "readme.txt");
    copyFolder(source, target, true);
    EXPECT_EQ(readFile(root / "outside.txt"), "outside");
    EXPECT_EQ(describeTree(target / "readme.txt"), describeTree(source / "readme.txt"));
    EXPECT_EQ(readFile(target / "old-only.txt"), "previous");
}

TEST_F(FolderOpsTest, ReplaceInstallsAFreshCopy) {
    fs::create_directory(root / "fresh");
    replaceFolder(source, root / "fresh" / "Norvik");
    EXPECT_EQ(describeTree(root / "fresh" / "Norvik"), describeTree(source));

    fs::permissions(target, fs::perms(0555));
    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(install), fs::directory_iterator()), 1);
}

TEST_F(FolderOpsTest, ReplaceFailingPartWayThroughTheCopyLeavesTargetAsItWas) {
    expectReplaceFails(root / "missing", quoted(desc::PathNotFound, root / "missing"));
    seam::failCopyAfter(2, desc::DiskFull);
    expectReplaceFails(source, desc::DiskFull);
    seam::clearInjectedFailures();
    ASSERT_EQ(::mkfifo((source / "bin" / "pipe").c_str(), 0644), 0);
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "pipe"));
}

TEST_F(FolderOpsTest, ReplaceNeverTouchesATakenStagingName) {
    for (const auto& [suffix, folder] : {std::pair{".tolvar-new", false}, {".tolvar-old", true}}) {
        const fs::path squatter = fs::path(target).concat(suffix);
        writeFile(folder ? squatter / "inside.txt" : squatter, "not ours");
        expectReplaceFails(source, quoted(desc::FileAlreadyExists, squatter));
        fs::remove_all(squatter);
    }
    fs::remove_all(target);
    writeFile(target, "a file, not a folder");
    expectReplaceFails(source, quoted(desc::FileAlreadyExists, target));
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
