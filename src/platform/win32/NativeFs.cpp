#include "platform/NativeFs.h"

#include "runtime/core/Failure.h"

#include <windows.h>

namespace fs = std::filesystem;

namespace tolvar::platform::native {

namespace {

[[noreturn]] void raiseError(DWORD error, const fs::path& path) {
    raiseFor(std::error_code(static_cast<int>(error), std::system_category()), path);
}

// The attributes of the entry itself: the call does not follow a reparse point.
bool has(const fs::path& path, DWORD flag) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & flag) != 0;
}

// Links are the reparse points that stand for another name: symbolic links and directory
// junctions. Others, such as deduplicated files or cloud placeholders, are files of their own.
bool isLink(const fs::path& path) {
    if (!has(path, FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return IsReparseTagNameSurrogate(found.dwReserved0);
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

fs::file_status entryStatus(const fs::path& path, std::error_code& error) {
    if (isLink(path)) {
        error.clear();
        return fs::file_status(fs::file_type::symlink);
    }
    return fs::symlink_status(path, error);
}

fs::file_type listedType(const fs::directory_entry& entry, std::error_code& error) {
    return entryStatus(entry.path(), error).type();
}

// A link to a folder is itself a folder entry, whatever it leads to.
void removeLink(const fs::path& path) {
    const bool folder = has(path, FILE_ATTRIBUTE_DIRECTORY);
    if (!(folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())))
        raiseError(GetLastError(), path);
}

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

// Where a link leads is only in its reparse data, and making one takes a privilege users seldom
// hold; copying what it leads to instead would install a folder that differs from the one
// shipped, so the run fails naming the link.
void copySymlink(const fs::path& from, const fs::path&) {
    raiseAt(rt::desc::PathFileAccessError, from);
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

// A file another program holds open without sharing it cannot be removed or renamed; to the
// user, access to it is refused. The library reads both numbers as a busy device, which the
// portable terms leave undescribed.
std::error_code portableError(std::error_code error) {
    const int code = error.value();
    if (error.category() == std::system_category() &&
        (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION))
        return std::make_error_code(std::errc::permission_denied);
    return error;
}

} // namespace tolvar::platform::native
