#include "platform/TreeFixture.h"

#include <windows.h>

#include <sstream>

namespace fs = std::filesystem;

std::string describeEntry(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return "missing";
    }
    std::ostringstream out;
    out << ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? "read-only" : "writable") << " @"
        << ((static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime)
        << " ";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return out.str() + "folder";
    }
    return out.str() + "file: " + readFile(path);
}

void setTimes(const fs::path& path, long long second) {
    const HANDLE entry = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(entry, INVALID_HANDLE_VALUE) << path;
    // 100-nanosecond ticks from 1601 to 1970, then the time asked for.
    constexpr unsigned long long UnixEpoch = 116'444'736'000'000'000ULL;
    const unsigned long long ticks =
        UnixEpoch + static_cast<unsigned long long>(second) * 10'000'000 + 1'234'567;
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    const BOOL done = SetFileTime(entry, nullptr, &time, &time);
    CloseHandle(entry);
    ASSERT_TRUE(done) << path;
}

// Windows files have no such flag.
bool setImmutable(const fs::path&, bool) {
    return false;
}

// Unprivileged links need the platform's developer mode. Some implementations report success
// without making the link, so only a link that is there counts.
bool makeLink(const fs::path& link, const fs::path& to) {
    const DWORD kind = fs::is_directory(to) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    return CreateSymbolicLinkW(link.c_str(), to.c_str(),
                               kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}
