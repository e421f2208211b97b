#include "platform/NativeFs.h"

#include "runtime/core/Failure.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace tolvar::platform::native {

namespace {

[[noreturn]] void raiseError(DWORD error, const fs::path& path) {
    raiseFor(std::error_code(static_cast<int>(error), std::system_category()), path);
}

WIN32_FILE_ATTRIBUTE_DATA attributesOf(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        raiseError(GetLastError(), path);
    return data;
}

void setModificationTime(const fs::path& path, const FILETIME& time) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        raiseError(GetLastError(), path);
    const bool done = SetFileTime(file, nullptr, nullptr, &time);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (!done)
        raiseError(error, path);
}

} // namespace

// Contents, attributes (read-only among them) and the modification time, never over an existing
// file; the access time is the platform's to keep.
void copyFile(const fs::path& from, const fs::path& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) {
        // The call does not say which side failed; these failures can only be the copy's.
        const DWORD error = GetLastError();
        const bool atCopy = error == ERROR_FILE_EXISTS || error == ERROR_DISK_FULL ||
                            error == ERROR_HANDLE_DISK_FULL;
        raiseError(error, atCopy ? to : from);
    }
}

// The Windows build of std::filesystem reports no entry as a link, so the walk copies what a
// link leads to and never asks for this; should it, the library copies the link if it can.
void copySymlink(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::copy_symlink(from, to, error);
    if (error)
        raiseFor(error, from);
}

void copyFolderAttributes(const fs::path& from, const fs::path& to) {
    const WIN32_FILE_ATTRIBUTE_DATA source = attributesOf(from);
    constexpr DWORD Settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    setModificationTime(to, source.ftLastWriteTime);
    if (!SetFileAttributesW(to.c_str(), source.dwFileAttributes & Settable))
        raiseError(GetLastError(), to);
}

void renameNoReplace(const fs::path& from, const fs::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING the platform refuses an existing target itself.
    if (MoveFileExW(from.c_str(), to.c_str(), 0))
        return;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        raiseAt(rt::desc::FileAlreadyExists, to);
    raiseError(error, from);
}

} // namespace tolvar::platform::native
