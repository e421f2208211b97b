#include "platform/FolderOpsFixture.h"
#include "platform/NativeFs.h"
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
    expectReplaceSucceeds();
}

// A first install has nothing to park and leaves nothing beside the folder; a trailing separator
// still names the folder.
TEST_F(FolderOpsTest, AFirstInstallLeavesNothingBesideTheFolder) {
    fs::remove_all(target);
    replaceFolder(source, target / "");
    expectTargetIsTheSource();
    deleteFolder(target / "");
    EXPECT_FALSE(present(target));
}

// Names like the replace's own that it did not make are never touched: they fail it, named. A
// parked one does so even when empty.
TEST_F(FolderOpsTest, ReplaceThatCannotStartTouchesNothing) {
    for (const std::string suffix : {".tolvar-old", ".tolvar-new"}) {
        const fs::path squatter = fs::path(target).concat(suffix);
        fs::create_directory(squatter);
        if (suffix == ".tolvar-new") {
            writeFile(squatter / "inside.txt", "not ours");
        }
        expectReplaceFails(source, quoted(desc::FileAlreadyExists, squatter));
        fs::remove_all(squatter);
    }
    // An empty staging folder may be one a killed replace made before it could record it.
    fs::create_directory(fs::path(target).concat(".tolvar-new"));
    expectReplaceSucceeds();
    // A copy made inside its own source would never end.
    EXPECT_EQ(failureOf([&] { replaceFolder(source, source / "bin" / "Norvik"); }),
              quoted("Invalid procedure call or argument", source / "bin" / "Norvik.tolvar-new"));
    const auto shipped = describeTree(source);
    EXPECT_EQ(failureOf([&] { copyFolder(source, source / "bin" / "copy"); }),
              quoted(desc::InvalidProcedureCall, source / "bin" / "copy"));
    EXPECT_EQ(describeTree(source), shipped);
    deleteFolder(target);
    writeFile(target, "a file, not a folder");
    expectReplaceFails(source, quoted(desc::FileAlreadyExists, target));
    EXPECT_EQ(failureOf([&] { deleteFolder(target); }), quoted(desc::PathNotFound, target));
    EXPECT_TRUE(present(target));
}

// A link in the product folder may lead anywhere; removing the folder removes the link alone.
TEST_F(FolderOpsTest, ReplaceAndDeleteRemoveLinksButNotWhatTheyLeadTo) {
    const fs::path outside = root / "outside";
    writeFile(outside / "keep.txt", "keep");
    const auto kept = describeTree(outside);
    if (!makeLink(target / "to-folder", outside)) {
        GTEST_SKIP() << "the platform makes no links here";
    }
    ASSERT_TRUE(makeLink(target / "to-file", outside / "keep.txt"));
    ASSERT_TRUE(makeLink(target / "dangling", root / "gone"));
    expectReplaceSucceeds();

    ASSERT_TRUE(makeLink(target / "to-folder", outside));
    ASSERT_TRUE(makeLink(root / "link", outside));
    deleteFolder(target);
    deleteFolder(root / "link");
    EXPECT_FALSE(present(target) || present(root / "link"));
    EXPECT_EQ(describeTree(outside), kept);
}

// A walk opens each folder it lists before it goes in, and refuses whatever has taken the name
// meanwhile rather than follow it. Likewise the rename that puts a copy in place never replaces
// what has taken its new name: a file or an empty folder there stays, and so does the original.
TEST_F(FolderOpsTest, WhatTookANameAfterItWasLookedAtIsNeitherEnteredNorReplaced) {
    const auto folder = native::Folder::open(source);
    const auto listed = folder.list();
    ASSERT_TRUE(std::any_of(listed.begin(), listed.end(), [](const auto& entry) {
        return entry.name == "bin" && entry.type == fs::file_type::directory;
    }));
    fs::remove_all(source / "bin");
    writeFile(source / "bin", "a file now");
    const auto before = describeTree(source);
    EXPECT_EQ(failureOf([&] { folder.openChild("bin", true); }),
              quoted(desc::PathFileAccessError, source / "bin"));
    for (const auto& [from, to] : {std::pair{"readme.txt", "bin"}, {"data", "empty"}}) {
        EXPECT_EQ(failureOf([&] { folder.rename(from, to); }),
                  quoted(desc::FileAlreadyExists, source / to));
    }
    EXPECT_EQ(describeTree(source), before);
}

// Two updates of one product at once: the second is refused while the first runs, and the first
// finishes whole.
TEST_F(FolderOpsTest, ASecondReplaceOfTheSameTargetIsRefusedWhileTheFirstRuns) {
    std::string second = "not tried";
    seam::onReplaceStep([&](const char* step) {
        if (std::string_view(step) == "copy") {
            second = failureOf([&] { replaceFolder(source, target); });
        }
    });
    expectReplaceSucceeds();
    seam::clearInjectedFailures();
    EXPECT_EQ(second, quoted(UpdateInProgress, target));
}
