#include "platform/ScopedPlatform.h"
#include "platform/TreeFixture.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Test processes run side by side; each holds the mutex while it changes a shared place.
class NamedLock {
public:
    explicit NamedLock(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
        WaitForSingleObject(mutex_, INFINITE);
    }
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;
    ~NamedLock() {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }

private:
    HANDLE mutex_;
};

// The export file with each key under `base` instead of its root, in the file's own encoding
// (UTF-16LE after a byte order mark, else single bytes). The user's root is moved first, so
// that the machine's keys, moved below it, are not moved again.
std::string rerooted(std::string bytes, const std::string& base) {
    const bool wide = bytes.starts_with("\xff\xfe");
    const auto encoded = [wide](const std::string& text) {
        std::string out;
        for (const char c : text)
            out += wide ? std::string{c, '\0'} : std::string{c};
        return out;
    };
    for (const auto& [root, stand] : {std::pair{"HKEY_CURRENT_USER", "User"},
                                      {"HKCU", "User"},
                                      {"HKEY_LOCAL_MACHINE", "Machine"},
                                      {"HKLM", "Machine"}}) {
        for (const std::string opening : {"[", "[-"}) {
            const std::string from = encoded(opening + root + "\\");
            const std::string to =
                encoded(opening + "HKEY_CURRENT_USER\\" + base + "\\" + stand + "\\");
            for (auto at = bytes.find(from); at != std::string::npos;
                 at = bytes.find(from, at + to.size()))
                bytes.replace(at, from.size(), to);
        }
    }
    return bytes;
}

HKEY createdKey(const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
}

} // namespace

struct ScopedRegistry::Stand {
    std::string base;
    fs::path file;
    HKEY machine = nullptr;
    HKEY user = nullptr;
};

ScopedRegistry::ScopedRegistry(const std::string& file) : stand_(new Stand) {
    static int count = 0;
    stand_->base = "Software\\TolvarTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(count++);
    stand_->file = fs::temp_directory_path() /
                   ("tolvar-" + stand_->base.substr(stand_->base.rfind('\\') + 1) + ".reg");
    writeFile(stand_->file, rerooted(readFile(file), stand_->base));
    EXPECT_EQ(std::system(("reg import \"" + stand_->file.string() + "\"").c_str()), 0) << file;
    stand_->machine = createdKey(stand_->base + "\\Machine");
    stand_->user = createdKey(stand_->base + "\\User");
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, stand_->machine);
    RegOverridePredefKey(HKEY_CURRENT_USER, stand_->user);
}

ScopedRegistry::~ScopedRegistry() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(stand_->machine);
    RegCloseKey(stand_->user);
    RegDeleteTreeA(HKEY_CURRENT_USER, stand_->base.c_str());
    std::error_code ignored;
    fs::remove(stand_->file, ignored);
}

struct ScopedDriveRootFile::Stand {
    NamedLock lock{L"TolvarDriveRootTests"};
    fs::path previous = fs::current_path();
    fs::path file;
    bool ready = false;
};

ScopedDriveRootFile::ScopedDriveRootFile(const std::string& name,
                                         const std::optional<std::string>& contents)
    : stand_(new Stand) {
    const fs::path temporary = fs::temp_directory_path();
    fs::current_path(temporary);
    const fs::path file = temporary.root_path() / name;
    if (present(file))
        return;
    if (contents) {
        std::ofstream(file, std::ios::binary) << *contents;
        if (readFile(file) != *contents) {
            std::error_code ignored;
            fs::remove(file, ignored);
            return;
        }
        stand_->file = file;
    }
    stand_->ready = true;
}

ScopedDriveRootFile::~ScopedDriveRootFile() {
    std::error_code ignored;
    if (!stand_->file.empty())
        fs::remove(stand_->file, ignored);
    fs::current_path(stand_->previous, ignored);
}

bool ScopedDriveRootFile::ready() const {
    return stand_->ready;
}
