#pragma once

#include "platform/FolderOps.h"
#include "platform/TreeFixture.h"

#include <algorithm>
#include <atomic>

// Gives every entry below the folder a time of its own.
inline void stampTimes(const std::filesystem::path& folder) {
    long long second = 1'000'000'000;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        setTimes(entry.path(), second++);
    }
}

class FolderOpsTest : public TreeFixture {
protected:
    // Everything beside the target stays as it was: the target, any squatter, no leftovers.
    void expectReplaceFails(const std::filesystem::path& from, const std::string& expected) {
        auto before = describeTree(install);
        EXPECT_EQ(failureOf([&] { tolvar::platform::replaceFolder(from, target); }), expected);
        auto after = describeTree(install);
        before.erase(".");
        after.erase(".");
        EXPECT_EQ(after, before);
    }

    // How many entries the folder that holds the target has, the target among them.
    long entriesBesideTarget() const {
        namespace fs = std::filesystem;
        return std::distance(fs::directory_iterator(install), fs::directory_iterator());
    }

    // The target is a copy of the source with nothing left beside it.
    void expectTargetIsTheSource() const {
        EXPECT_EQ(describeTree(target), describeTree(source));
        EXPECT_EQ(entriesBesideTarget(), 1);
    }

    // The count the caller is given is of the files copied; links are not files.
    void expectReplaceSucceeds() {
        namespace fs = std::filesystem;
        std::atomic<std::uint64_t> copied{0};
        tolvar::platform::replaceFolder(source, target, &copied);
        expectTargetIsTheSource();
        EXPECT_EQ(copied, std::count_if(fs::recursive_directory_iterator(source), {},
                                        [](const auto& entry) {
                                            return fs::is_regular_file(entry.symlink_status());
                                        }));
    }

    // A shipped folder with what every copy must keep (contents, permissions, a read-only file in
    // a read-only folder, an empty folder, times) and a previous install to replace.
    void SetUp() override {
        namespace fs = std::filesystem;
        TreeFixture::SetUp();
        source = root / "ship" / "Norvik";
        install = root / "product";
        target = install / "Norvik";
        writeFile(source / "readme.txt", "hello\n", fs::perms(0640));
        writeFile(source / "bin" / "run.sh", "#!/bin/sh\n", fs::perms(0755));
        writeFile(source / "data" / "deep" / "table.bin", std::string("\0\1\2\377", 4),
                  fs::perms(0444));
        fs::create_directory(source / "empty");
        fs::permissions(source / "data" / "deep", fs::perms(0555));
        stampTimes(source);
        writeFile(target / "old-only.txt", "previous");
        writeFile(target / "readme.txt", "previous readme");
    }

    std::filesystem::path source, install, target;
};
