#include "platform/FolderOps.h"
#include "platform/TreeFixture.h"
#include "update_engine/TreeCompare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string_view>

namespace fs = std::filesystem;
using tolvar::engine::sameTree;

namespace {

using TreeCompare = TreeFixture;

// A copy this program made is the same; every change a product's folder can show is not, and a
// file whose time alone differs is read and found the same.
TEST_F(TreeCompare, ACopyIsTheSameUntilAnythingButATimeChanges) {
    const fs::path source = root / "source";
    fs::path copy;
    writeFile(source / "agent.cfg", "new agent");
    writeFile(source / "lib" / "runtime.dll", "runtime");
    const std::string big(100'000, 'b');
    writeFile(source / "lib" / "big.bin", big);
    fs::create_directories(source / "logs");
    const bool links = makeLink(source / "current", "lib");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"a time only",
         [&] {
             setTimes(copy / "agent.cfg", 1'000'000'000);
             setTimes(copy / "lib" / "big.bin", 1'000'000'000);
         }},
        {"a byte past the first read",
         [&] {
             writeFile(copy / "lib" / "big.bin", std::string(big).replace(90'000, 1, "c"));
             setTimes(copy / "lib" / "big.bin", 1'000'000'000);
         }},
        // At another time, so it is not settled by a timestamp as coarse as the file system's.
        {"contents of the same size",
         [&] {
             writeFile(copy / "agent.cfg", "NEW AGENT");
             setTimes(copy / "agent.cfg", 1'000'000'000);
         }},
        {"a size", [&] { writeFile(copy / "agent.cfg", "newer agent"); }},
        {"a new empty folder", [&] { fs::create_directories(copy / "cache"); }},
        {"a folder gone", [&] { fs::remove(copy / "logs"); }},
        {"a file for a folder",
         [&] {
             fs::remove(copy / "logs");
             writeFile(copy / "logs", "");
         }},
        {"read-only",
         [&] {
             fs::permissions(copy / "agent.cfg", fs::perms::owner_write, fs::perm_options::remove);
         }},
        {"the copy gone", [&] { tolvar::platform::deleteFolder(copy); }},
        {"a link's target",
         [&] {
             fs::remove(copy / "current");
             ASSERT_TRUE(makeLink(copy / "current", "logs"));
         }},
    };
    for (const auto& [change, make] : changes) {
        if (!links && std::string_view(change).starts_with("a link")) {
            continue; // the platform makes no links here
        }
        copy = root / change;
        tolvar::platform::copyFolder(source, copy);
        ASSERT_TRUE(sameTree(source, copy)) << change;
        make();
        EXPECT_EQ(sameTree(source, copy), std::string(change) == "a time only") << change;
    }
}

} // namespace
