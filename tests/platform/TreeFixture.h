#pragma once

#include "platform/ProcessList.h"
#include "platform/ProcessMatch.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// Each test gets its own folder under the system temp directory, removed afterwards even when a
// test left read-only or immutable entries behind.
class TreeFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Where the test's folder is made.
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::filesystem::path root;
};

void writeFile(const std::filesystem::path& path, const std::string& contents,
               std::filesystem::perms mode = std::filesystem::perms(0644));
std::string readFile(const std::filesystem::path& path);
bool present(const std::filesystem::path& path);

// Per path below `folder` ("." for itself), what a copy must keep of the entry: its permissions
// (on Windows, the read-only attribute), its modification time, and its contents or link target.
std::map<std::string, std::string> describeTree(const std::filesystem::path& folder);
std::string describeEntry(const std::filesystem::path& path);

// Gives the entry (a link itself, not its target) a modification time `second` seconds after
// 1970 plus a fraction the platform's time resolution keeps.
void setTimes(const std::filesystem::path& path, long long second);

// False where the flag cannot be set (no privilege, a file system or platform without it).
bool setImmutable(const std::filesystem::path& path, bool on);

// A symbolic link at `link` leading to `to`, a folder link when `to` is a folder; false where
// the platform refuses to make one.
bool makeLink(const std::filesystem::path& link, const std::filesystem::path& to);

template <typename F> std::string failureOf(F&& call) {
    try {
        call();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return {};
}

inline std::string quoted(const char* description, const std::filesystem::path& path) {
    return std::string(description) + ": '" + path.string() + "'";
}

inline std::string repeated(std::size_t count, std::string_view piece) {
    std::string text;
    for (; count > 0; --count) {
        text += piece;
    }
    return text;
}

// A file below tests/platform/fixtures, as the platform under test names it.
inline std::string fixture(const std::string& relative) {
    return std::string(TOLVAR_PLATFORM_FIXTURES) + "/" + relative;
}

namespace tolvar::platform {
inline void PrintTo(const RegistryValue& value, std::ostream* out) {
    *out << "type " << value.type << " " << ::testing::PrintToString(value.data);
}

// The id of the first process of that name in a walk of the list as it is now.
inline std::optional<std::uint32_t> findNow(const std::string& wantedName) {
    ProcessSnapshot snapshot;
    return findFirstProcess(snapshot, wantedName);
}

// One look-up and what it must give: a value (type 0 when the key has no such value), or
// nothing when the key is missing.
struct RegistryLookup {
    RegistryRoot root;
    std::string key;
    const char* name;
    std::optional<RegistryValue> expected;
};

inline void expectLookups(std::initializer_list<RegistryLookup> lookups) {
    for (const auto& [root, key, name, expected] : lookups) {
        EXPECT_EQ(queryRegistryValue(root, key, name), expected) << key << " : " << name;
    }
}
} // namespace tolvar::platform
