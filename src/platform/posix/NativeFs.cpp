#include "platform/NativeFs.h"

#include "platform/FsFailure.h"
#include "runtime/core/Failure.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace tolvar::platform::native {

namespace {

[[noreturn]] void raiseErrno(const fs::path& path) {
    // Running out of quota is, to the user, the disk being full.
    const int error = errno == EDQUOT ? ENOSPC : errno;
    raiseFor(std::error_code(error, std::generic_category()), path);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

    // A delayed write error (network file systems, a full disk) may only show up here.
    void close(const fs::path& path) {
        if (::close(release()) != 0) {
            raiseErrno(path);
        }
    }

private:
    int fd_;
};

int fdOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

void writeAll(int fd, const char* data, size_t size, const fs::path& path) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno(path);
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

void pump(int in, const fs::path& from, int out, const fs::path& to) {
    char buffer[128 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) {
            return;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno(from);
        }
        writeAll(out, buffer, static_cast<size_t>(got), to);
    }
}

// Where the file systems allow, the kernel moves the contents itself, without a round trip
// through a buffer here. What copy_file_range cannot do (another file system on an older kernel,
// a file system without it) the read/write loop does, from wherever the kernel stopped; so does a
// file the kernel reports as empty, since some report a size of 0 for files that have contents.
void copyContents(int in, const fs::path& from, int out, const fs::path& to) {
    bool copiedAny = false;
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        if (copied == 0 && copiedAny) {
            return;
        }
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS &&
            errno != EOPNOTSUPP) {
            raiseErrno(to);
        }
        break;
    }
    pump(in, from, out, to);
}

struct stat statAt(int folder, const fs::path& name, const fs::path& shown) {
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        raiseErrno(shown);
    }
    return info;
}

fs::file_type typeOfMode(mode_t mode) {
    if (S_ISLNK(mode)) {
        return fs::file_type::symlink;
    }
    if (S_ISDIR(mode)) {
        return fs::file_type::directory;
    }
    return S_ISREG(mode) ? fs::file_type::regular : fs::file_type::unknown;
}

fs::file_type typeOfListed(unsigned char type) {
    switch (type) {
    case DT_LNK:
        return fs::file_type::symlink;
    case DT_DIR:
        return fs::file_type::directory;
    case DT_REG:
        return fs::file_type::regular;
    case DT_UNKNOWN:
        return fs::file_type::none;
    default:
        return fs::file_type::unknown;
    }
}

// What opening a listed name as a folder meets when something else has taken the name.
[[noreturn]] void raiseOpenFailure(const fs::path& path) {
    if (errno == ELOOP || errno == ENOTDIR) {
        raiseAt(rt::desc::PathFileAccessError, path);
    }
    raiseErrno(path);
}

constexpr int FolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

} // namespace

Folder::Folder(std::intptr_t handle, fs::path path) : handle_(handle), path_(std::move(path)) {}

Folder::Folder(Folder&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(path_, other.path_);
    return *this;
}

Folder::~Folder() {
    if (handle_ >= 0) {
        ::close(fdOf(handle_));
    }
}

Folder Folder::open(const fs::path& path) {
    const int fd = ::open(path.c_str(), FolderFlags);
    if (fd < 0) {
        raiseErrno(path);
    }
    return Folder(fd, path);
}

fs::file_type Folder::typeOf(const fs::path& name) const {
    struct stat info {};
    if (::fstatat(fdOf(handle_), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        return typeOfMode(info.st_mode);
    }
    if (errno == ENOENT) {
        return fs::file_type::not_found;
    }
    raiseErrno(pathOf(name));
}

std::string Folder::identityOf(const fs::path& name) const {
    const struct stat info = statAt(fdOf(handle_), name, pathOf(name));
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

std::vector<Entry> Folder::list() const {
    // The listing reads from a descriptor of its own: closedir closes what it was given.
    const int fd = ::openat(fdOf(handle_), ".", FolderFlags);
    if (fd < 0) {
        raiseErrno(path_);
    }
    DIR* const listing = ::fdopendir(fd);
    if (listing == nullptr) {
        ::close(fd);
        raiseErrno(path_);
    }
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* found = ::readdir(listing)) {
        const std::string name = found->d_name;
        if (name != "." && name != "..") {
            entries.push_back({name, typeOfListed(found->d_type)});
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0) {
        errno = error;
        raiseErrno(path_);
    }
    // Most file systems give the kind in the listing itself, which spares a lookup per entry.
    for (Entry& entry : entries) {
        if (entry.type == fs::file_type::none) {
            entry.type = typeOf(entry.name);
        }
    }
    return entries;
}

Folder Folder::openChild(const fs::path& name, bool forRemoval) const {
    const int parent = fdOf(handle_);
    const fs::path shown = pathOf(name);
    int fd = ::openat(parent, name.c_str(), FolderFlags | O_NOFOLLOW);
    if (fd < 0 && errno == EACCES && forRemoval) {
        // A folder we may not list is opened without any access first, which a link cannot
        // stand in for either, and given the owner's permissions through that descriptor.
        FileDescriptor pinned(::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW));
        if (!pinned.valid()) {
            raiseOpenFailure(shown);
        }
        const std::string byDescriptor = "/proc/self/fd/" + std::to_string(pinned.get());
        if (::chmod(byDescriptor.c_str(), S_IRWXU) != 0) {
            raiseErrno(shown);
        }
        fd = ::openat(pinned.get(), ".", FolderFlags);
    }
    if (fd < 0) {
        raiseOpenFailure(shown);
    }
    Folder child(fd, shown);
    if (forRemoval) {
        struct stat info {};
        if (::fstat(fd, &info) != 0) {
            raiseErrno(shown);
        }
        if ((info.st_mode & S_IRWXU) != S_IRWXU && ::fchmod(fd, info.st_mode | S_IRWXU) != 0) {
            raiseErrno(shown);
        }
    }
    return child;
}

void Folder::createFolder(const fs::path& name) const {
    if (::mkdirat(fdOf(handle_), name.c_str(), S_IRWXU) != 0) {
        raiseErrno(pathOf(name));
    }
}

// Removing a file needs write access to its folder only, whatever the file's own permissions.
void Folder::remove(const fs::path& name, fs::file_type type) const {
    const int flags = type == fs::file_type::directory ? AT_REMOVEDIR : 0;
    if (::unlinkat(fdOf(handle_), name.c_str(), flags) != 0) {
        raiseErrno(pathOf(name));
    }
}

void Folder::rename(const fs::path& from, const fs::path& to) const {
    const int fd = fdOf(handle_);
    if (::renameat2(fd, from.c_str(), fd, to.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    // What is in the way is the name taken, not the entry being moved.
    if (errno == EEXIST) {
        raiseAt(rt::desc::FileAlreadyExists, pathOf(to));
    }
    // Some file systems cannot promise no-replace; there the check and the rename are separate
    // steps, which only a concurrent writer in the same folder could slip between.
    if (errno != EINVAL && errno != ENOSYS) {
        raiseErrno(pathOf(from));
    }
    struct stat existing {};
    if (::fstatat(fd, to.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        raiseAt(rt::desc::FileAlreadyExists, pathOf(to));
    }
    if (::renameat(fd, from.c_str(), fd, to.c_str()) != 0) {
        raiseErrno(pathOf(from));
    }
}

void Folder::copyFileFrom(const Folder& source, const fs::path& name) const {
    const fs::path from = source.pathOf(name);
    const fs::path to = pathOf(name);
    // O_NONBLOCK and the type check keep a FIFO swapped in after the walk looked from hanging
    // the copy.
    FileDescriptor in(::openat(fdOf(source.handle_), name.c_str(),
                               O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!in.valid()) {
        raiseErrno(from);
    }
    struct stat info {};
    if (::fstat(in.get(), &info) != 0) {
        raiseErrno(from);
    }
    if (!S_ISREG(info.st_mode)) {
        raiseAt(rt::desc::PathFileAccessError, from);
    }
    FileDescriptor out(::openat(fdOf(handle_), name.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                S_IRUSR | S_IWUSR));
    if (!out.valid()) {
        raiseErrno(to);
    }
    copyContents(in.get(), from, out.get(), to);
    // Starts writing the copy to the device now, while the walk goes on, so the flush before the
    // swap finds little left to wait for. Only a hint: the flush is what guarantees it.
    ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (::fchmod(out.get(), info.st_mode & 07777) != 0) {
        raiseErrno(to);
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(out.get(), times) != 0) {
        raiseErrno(to);
    }
    out.close(to);
}

void Folder::copyLinkFrom(const Folder& source, const fs::path& name) const {
    const fs::path from = source.pathOf(name);
    const struct stat info = statAt(fdOf(source.handle_), name, from);
    std::string linkTarget(static_cast<std::size_t>(info.st_size) + 1, '\0');
    const ssize_t length =
        ::readlinkat(fdOf(source.handle_), name.c_str(), linkTarget.data(), linkTarget.size());
    if (length < 0) {
        raiseErrno(from);
    }
    // A link that grew since it was looked at is no longer the one listed.
    if (static_cast<std::size_t>(length) >= linkTarget.size()) {
        raiseAt(rt::desc::PathFileAccessError, from);
    }
    linkTarget.resize(static_cast<std::size_t>(length));
    if (::symlinkat(linkTarget.c_str(), fdOf(handle_), name.c_str()) != 0) {
        raiseErrno(pathOf(name));
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::utimensat(fdOf(handle_), name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        raiseErrno(pathOf(name));
    }
}

void Folder::takeAttributesOf(const Folder& source) const {
    struct stat info {};
    if (::fstat(fdOf(source.handle_), &info) != 0) {
        raiseErrno(source.path_);
    }
    if (::fchmod(fdOf(handle_), info.st_mode & 07777) != 0) {
        raiseErrno(path_);
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(fdOf(handle_), times) != 0) {
        raiseErrno(path_);
    }
}

// One call for the whole file system is far cheaper than one per file and folder
// (docs/performance.md).
void Folder::flushWrites() const {
    if (::syncfs(fdOf(handle_)) != 0) {
        raiseErrno(path_);
    }
}

LockFile::LockFile(std::intptr_t handle, const Folder& folder, fs::path name)
    : handle_(handle), folder_(&folder), name_(std::move(name)) {}

LockFile::LockFile(LockFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), folder_(other.folder_),
      name_(std::move(other.name_)), empty_(other.empty_) {}

// The file is removed while it is still held, so whoever opened it meanwhile finds, once they
// hold it, that it is no longer the file of that name and starts again.
LockFile::~LockFile() {
    if (handle_ < 0) {
        return;
    }
    if (empty_) {
        ::unlinkat(fdOf(folder_->handle_), name_.c_str(), 0);
    }
    ::close(fdOf(handle_));
}

std::optional<LockFile> LockFile::tryTake(const Folder& folder, const fs::path& name) {
    const fs::path shown = folder.pathOf(name);
    for (;;) {
        FileDescriptor fd(::openat(fdOf(folder.handle_), name.c_str(),
                                   O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                                   S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH));
        if (!fd.valid()) {
            raiseErrno(shown);
        }
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                return std::nullopt;
            }
            raiseErrno(shown);
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd.get(), &held) != 0) {
            raiseErrno(shown);
        }
        if (::fstatat(fdOf(folder.handle_), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            LockFile lock(fd.release(), folder, name);
            lock.empty_ = held.st_size == 0;
            return lock;
        }
    }
}

std::string LockFile::record() const {
    std::string text(4096, '\0');
    const ssize_t got = ::pread(fdOf(handle_), text.data(), text.size(), 0);
    if (got < 0) {
        raiseErrno(folder_->pathOf(name_));
    }
    text.resize(static_cast<std::size_t>(got));
    return text;
}

// Each record of a run only adds lines to the one before or empties it, so writing the new text
// over the old before cutting the file to length never leaves a record that says less than
// either of them, wherever the process is stopped.
void LockFile::setRecord(const std::string& text) {
    const fs::path shown = folder_->pathOf(name_);
    const int fd = fdOf(handle_);
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written =
            ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno(shown);
        }
        done += static_cast<std::size_t>(written);
    }
    if (::ftruncate(fd, static_cast<off_t>(text.size())) != 0 || ::fdatasync(fd) != 0) {
        raiseErrno(shown);
    }
    empty_ = text.empty();
}

std::error_code portableError(std::error_code error) {
    return error;
}

} // namespace tolvar::platform::native
