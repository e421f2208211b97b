#include "platform/NativeFs.h"

#include "platform/FsFailure.h"
#include "platform/win32/Handle.h"
#include "runtime/core/Failure.h"

#include <windows.h>

#include <utility>

namespace fs = std::filesystem;

namespace tolvar::platform::native {

namespace {

[[noreturn]] void raiseError(DWORD error, const fs::path& path) {
    raiseFor(std::error_code(static_cast<int>(error), std::system_category()), path);
}

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t valueOf(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

using win32::Handle;

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Every open names the entry itself: a link or junction is opened as what it is, never followed.
constexpr DWORD EntryItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

// Links are the reparse points that stand for another name: symbolic links and directory
// junctions. Others, such as deduplicated files or cloud placeholders, are files of their own.
fs::file_type typeOfFound(const WIN32_FIND_DATAW& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        IsReparseTagNameSurrogate(found.dwReserved0)) {
        return fs::file_type::symlink;
    }
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? fs::file_type::directory
                                                                    : fs::file_type::regular;
}

BY_HANDLE_FILE_INFORMATION informationOf(HANDLE handle, const fs::path& path) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        raiseError(GetLastError(), path);
    }
    return information;
}

// A read-only entry can be neither removed nor emptied.
void makeWritable(HANDLE handle, const fs::path& path) {
    const DWORD attributes = informationOf(handle, path).dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        return;
    }
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic)) {
        raiseError(GetLastError(), path);
    }
}

void removeThrough(HANDLE handle, const fs::path& path) {
    makeWritable(handle, path);
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
        raiseError(GetLastError(), path);
    }
}

void setModificationTime(const fs::path& path, const FILETIME& time) {
    const Handle entry(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, ShareAll, nullptr,
                                   OPEN_EXISTING, EntryItself, nullptr));
    if (!entry.valid()) {
        raiseError(GetLastError(), path);
    }
    if (!SetFileTime(entry.get(), nullptr, nullptr, &time)) {
        raiseError(GetLastError(), path);
    }
}

} // namespace

Folder::Folder(std::intptr_t handle, fs::path path) : handle_(handle), path_(std::move(path)) {}

Folder::Folder(Folder&& other) noexcept
    : handle_(std::exchange(other.handle_, valueOf(INVALID_HANDLE_VALUE))),
      path_(std::move(other.path_)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(path_, other.path_);
    return *this;
}

Folder::~Folder() {
    if (handleOf(handle_) != INVALID_HANDLE_VALUE) {
        CloseHandle(handleOf(handle_));
    }
}

// A folder held open without sharing deletion cannot be renamed or removed by anyone else, and
// neither can the folders above it: while a walk holds each folder down to the one it works in,
// every name it forms below them leads where the walk looked.
Folder Folder::open(const fs::path& path) {
    Handle folder(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid()) {
        raiseError(GetLastError(), path);
    }
    return Folder(valueOf(folder.release()), path);
}

fs::file_type Folder::typeOf(const fs::path& name) const {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pathOf(name).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return fs::file_type::not_found;
        }
        raiseError(error, pathOf(name));
    }
    FindClose(search);
    return typeOfFound(found);
}

std::string Folder::identityOf(const fs::path& name) const {
    const Handle entry(CreateFileW(pathOf(name).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                   OPEN_EXISTING, EntryItself, nullptr));
    if (!entry.valid()) {
        raiseError(GetLastError(), pathOf(name));
    }
    const BY_HANDLE_FILE_INFORMATION information = informationOf(entry.get(), pathOf(name));
    return std::to_string(information.dwVolumeSerialNumber) + ":" +
           std::to_string(information.nFileIndexHigh) + ":" +
           std::to_string(information.nFileIndexLow);
}

std::vector<Entry> Folder::list() const {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW((path_ / L"*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        raiseError(GetLastError(), path_);
    }
    std::vector<Entry> entries;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            entries.push_back({name, typeOfFound(found)});
        }
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        raiseError(error, path_);
    }
    return entries;
}

Folder Folder::openChild(const fs::path& name, bool forRemoval) const {
    const fs::path path = pathOf(name);
    const DWORD access =
        FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | (forRemoval ? FILE_WRITE_ATTRIBUTES : 0);
    Handle child(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, EntryItself, nullptr));
    if (!child.valid()) {
        raiseError(GetLastError(), path);
    }
    const DWORD attributes = informationOf(child.get(), path).dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        raiseAt(rt::desc::PathFileAccessError, path);
    }
    if (forRemoval) {
        makeWritable(child.get(), path);
    }
    return Folder(valueOf(child.release()), path);
}

void Folder::createFolder(const fs::path& name) const {
    if (!CreateDirectoryW(pathOf(name).c_str(), nullptr)) {
        raiseError(GetLastError(), pathOf(name));
    }
}

// Removed through a handle of the entry itself, so a link goes as a link and a name swapped
// meanwhile is refused rather than followed.
void Folder::remove(const fs::path& name, fs::file_type) const {
    const fs::path path = pathOf(name);
    const Handle entry(CreateFileW(path.c_str(),
                                   DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, ShareAll,
                                   nullptr, OPEN_EXISTING, EntryItself, nullptr));
    if (!entry.valid()) {
        raiseError(GetLastError(), path);
    }
    removeThrough(entry.get(), path);
}

void Folder::rename(const fs::path& from, const fs::path& to) const {
    // Without MOVEFILE_REPLACE_EXISTING the platform refuses an existing target itself.
    if (MoveFileExW(pathOf(from).c_str(), pathOf(to).c_str(), 0)) {
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        raiseAt(rt::desc::FileAlreadyExists, pathOf(to));
    }
    raiseError(error, pathOf(from));
}

// Contents, attributes (read-only among them) and the modification time, never over an existing
// file; the access time is the platform's to keep. Without a call that flushes a whole volume for
// an ordinary user, each file is flushed as it is copied.
void Folder::copyFileFrom(const Folder& source, const fs::path& name) const {
    const fs::path from = source.pathOf(name);
    const fs::path to = pathOf(name);
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) {
        // The call does not say which side failed; these failures can only be the copy's.
        const DWORD error = GetLastError();
        const bool atCopy = error == ERROR_FILE_EXISTS || error == ERROR_DISK_FULL ||
                            error == ERROR_HANDLE_DISK_FULL;
        raiseError(error, atCopy ? to : from);
    }
    const Handle copy(CreateFileW(to.c_str(), GENERIC_WRITE, ShareAll, nullptr, OPEN_EXISTING,
                                  EntryItself, nullptr));
    if (!copy.valid() || !FlushFileBuffers(copy.get())) {
        raiseError(GetLastError(), to);
    }
}

// Where a link leads is only in its reparse data, and making one takes a privilege users seldom
// hold; copying what it leads to instead would install a folder that differs from the one
// shipped, so the run fails naming the link.
void Folder::copyLinkFrom(const Folder& source, const fs::path& name) const {
    raiseAt(rt::desc::PathFileAccessError, source.pathOf(name));
}

void Folder::takeAttributesOf(const Folder& source) const {
    const BY_HANDLE_FILE_INFORMATION from = informationOf(handleOf(source.handle_), source.path_);
    constexpr DWORD Settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    setModificationTime(path_, from.ftLastWriteTime);
    if (!SetFileAttributesW(path_.c_str(), from.dwFileAttributes & Settable)) {
        raiseError(GetLastError(), path_);
    }
}

// Each file was flushed as it was copied; the folders' entries are in the file system's journal,
// which keeps them in the order they were made.
void Folder::flushWrites() const {}

LockFile::LockFile(std::intptr_t handle, const Folder& folder, fs::path name)
    : handle_(handle), folder_(&folder), name_(std::move(name)) {}

LockFile::LockFile(LockFile&& other) noexcept
    : handle_(std::exchange(other.handle_, valueOf(INVALID_HANDLE_VALUE))), folder_(other.folder_),
      name_(std::move(other.name_)), empty_(other.empty_) {}

// Marked for deletion before it is let go, so no one can open it in between and find it gone.
LockFile::~LockFile() {
    const HANDLE lock = handleOf(handle_);
    if (lock == INVALID_HANDLE_VALUE) {
        return;
    }
    if (empty_) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(lock, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(lock);
}

// Opened without sharing: the platform refuses every other open until the holder closes it or
// dies.
std::optional<LockFile> LockFile::tryTake(const Folder& folder, const fs::path& name) {
    const fs::path path = folder.pathOf(name);
    Handle lock(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr));
    if (!lock.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            return std::nullopt;
        }
        raiseError(error, path);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(lock.get(), &size)) {
        raiseError(GetLastError(), path);
    }
    LockFile taken(valueOf(lock.release()), folder, name);
    taken.empty_ = size.QuadPart == 0;
    return taken;
}

std::string LockFile::record() const {
    const HANDLE lock = handleOf(handle_);
    std::string text(4096, '\0');
    OVERLAPPED atStart{};
    DWORD got = 0;
    if (!ReadFile(lock, text.data(), static_cast<DWORD>(text.size()), &got, &atStart) &&
        GetLastError() != ERROR_HANDLE_EOF) {
        raiseError(GetLastError(), folder_->pathOf(name_));
    }
    text.resize(got);
    return text;
}

// As on every platform, the new text is written over the old before the file is cut to length.
void LockFile::setRecord(const std::string& text) {
    const HANDLE lock = handleOf(handle_);
    const fs::path path = folder_->pathOf(name_);
    OVERLAPPED atStart{};
    DWORD written = 0;
    if (!WriteFile(lock, text.data(), static_cast<DWORD>(text.size()), &written, &atStart) ||
        written != text.size()) {
        raiseError(GetLastError(), path);
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(text.size());
    if (!SetFileInformationByHandle(lock, FileEndOfFileInfo, &end, sizeof end) ||
        !FlushFileBuffers(lock)) {
        raiseError(GetLastError(), path);
    }
    empty_ = text.empty();
}

// A file another program holds open without sharing it cannot be removed or renamed; to the
// user, access to it is refused. The library reads both numbers as a busy device, which the
// portable terms leave undescribed.
std::error_code portableError(std::error_code error) {
    const int code = error.value();
    if (error.category() == std::system_category() &&
        (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return error;
}

} // namespace tolvar::platform::native
