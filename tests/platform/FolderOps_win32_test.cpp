#include "platform/FolderOpsFixture.h"
#include "runtime/core/Failure.h"

#include <windows.h>

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;
using namespace tolvar::platform;

// Where a link leads cannot be copied as a link here, and what it leads to must not be copied
// in its place.
TEST_F(FolderOpsTest, ReplaceRefusesLinksInTheSource) {
    if (!makeLink(source / "bin" / "tools", install)) {
        GTEST_SKIP() << "the platform makes no links here";
    }
    expectReplaceFails(source, quoted(desc::PathFileAccessError, source / "bin" / "tools"));
}

// Windows refuses to rename a folder with a file open in it, Wine does not: the replace fails
// before the new copy is in place, or it is in place and only the parked old folder stays. Either
// way the file held open is kept, and once it is let go the next replace leaves nothing behind.
TEST_F(FolderOpsTest, AFileHeldOpenWithoutSharingIsKeptAndTheNextReplaceFinishes) {
    const HANDLE held = CreateFileW((target / "old-only.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const fs::path old = fs::path(target).concat(".tolvar-old");
    const std::string failure = failureOf([&] { replaceFolder(source, target); });
    const bool parked = failure.empty();
    const fs::path holder = parked ? old : target;
    if (!parked) {
        EXPECT_EQ(failure, quoted(desc::PermissionDenied, target));
    }
    EXPECT_EQ(readFile(target / "readme.txt"), parked ? "hello\n" : "previous readme");
    EXPECT_EQ(failureOf([&] { deleteFolder(holder); }),
              quoted(desc::PermissionDenied, holder / "old-only.txt"));
    CloseHandle(held);
    EXPECT_EQ(readFile(holder / "old-only.txt"), "previous");

    expectReplaceSucceeds();
}
