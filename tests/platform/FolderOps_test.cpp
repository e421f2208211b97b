#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;
namespace seam = tolvar::platform::testing;

// Enough entries that every copy and removal thread takes part: the copy must still be whole,
// each folder must get its mode and time after its last file is in, and a failure on whichever
// thread meets it must still undo everything.
TEST_F(FolderOpsTest, ReplaceRollsBackWholeOrInstallsEveryFile) {
    for (int folder = 0; folder < 6; ++folder) {
        const std::string name = std::to_string(folder);
        for (int file = 0; file < 50; ++file) {
            const fs::perms mode = file % 9 == 0 ? fs::perms(0444) : fs::perms(0644);
            writeFile(source / "many" / name / (std::to_string(file) + ".js"),
                      std::string(static_cast<std::size_t>(file) * 37, 'a'), mode);
            writeFile(target / "old" / name / (std::to_string(file) + ".txt"), "old",
                      fs::perms(0444));
        }
    }
    fs::permissions(source / "many" / "2", fs::perms(0555));
    fs::permissions(target, fs::perms(0555));
    stampTimes(source);

    seam::failCopyAfter(200, desc::DiskFull);
    expectReplaceFails(source, desc::DiskFull);
    seam::clearInjectedFailures();

    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));
    EXPECT_EQ(std::distance(fs::directory_iterator(install), fs::directory_iterator()), 1);
}

TEST_F(FolderOpsTest, ReplaceThatCannotStartTouchesNothing) {
    const fs::path parked = fs::path(target).concat(".tolvar-old");
    writeFile(parked / "inside.txt", "not ours");
    expectReplaceFails(source, quoted(desc::FileAlreadyExists, parked));
    fs::remove_all(parked);
    // A copy made inside its own source would never end.
    EXPECT_EQ(failureOf([&] { replaceFolder(source, source / "bin" / "Norvik"); }),
              quoted(desc::InvalidProcedureCall, source / "bin" / "Norvik.tolvar-new"));
    fs::remove_all(target);
    writeFile(target, "a file, not a folder");
    expectReplaceFails(source, quoted(desc::FileAlreadyExists, target));
}

// A link in the product folder may lead anywhere; removing the folder removes the link alone.
TEST_F(FolderOpsTest, ReplaceAndDeleteRemoveLinksButNotWhatTheyLeadTo) {
    const fs::path outside = root / "outside";
    writeFile(outside / "keep.txt", "keep");
    const auto kept = describeTree(outside);
    if (!makeLink(target / "to-folder", outside))
        GTEST_SKIP() << "the platform makes no links here";
    ASSERT_TRUE(makeLink(target / "to-file", outside / "keep.txt"));
    ASSERT_TRUE(makeLink(target / "dangling", root / "gone"));
    replaceFolder(source, target);
    EXPECT_EQ(describeTree(target), describeTree(source));

    ASSERT_TRUE(makeLink(target / "to-folder", outside));
    ASSERT_TRUE(makeLink(root / "link", outside));
    deleteFolder(target);
    deleteFolder(root / "link");
    EXPECT_FALSE(present(target) || present(root / "link"));
    EXPECT_EQ(describeTree(outside), kept);
}
