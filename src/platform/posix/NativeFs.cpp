#include "platform/NativeFs.h"

#include "runtime/core/Failure.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        if (fd_ >= 0)
            ::close(fd_);
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // A delayed write error (network file systems, a full disk) may only show up here.
    void close(const fs::path& path) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            raiseErrno(path);
    }

private:
    int fd_;
};

void writeAll(int fd, const char* data, size_t size, const fs::path& path) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
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
        if (got == 0)
            return;
        if (got < 0) {
            if (errno == EINTR)
                continue;
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
        if (copied == 0 && copiedAny)
            return;
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS &&
            errno != EOPNOTSUPP)
            raiseErrno(to);
        break;
    }
    pump(in, from, out, to);
}

struct stat statOf(const fs::path& path, bool followLink) {
    struct stat info {};
    if ((followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        raiseErrno(path);
    return info;
}

void setTimes(const fs::path& path, const struct stat& info, int flags) {
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::utimensat(AT_FDCWD, path.c_str(), times, flags) != 0)
        raiseErrno(path);
}

} // namespace

// lstat reports a link as a link.
fs::file_status entryStatus(const fs::path& path, std::error_code& error) {
    return fs::symlink_status(path, error);
}

// Most file systems give the kind in the listing itself, which spares a lookup per entry.
fs::file_type listedType(const fs::directory_entry& entry, std::error_code& error) {
    if (entry.is_symlink(error))
        return fs::file_type::symlink;
    if (!error && entry.is_directory(error))
        return fs::file_type::directory;
    if (!error && entry.is_regular_file(error))
        return fs::file_type::regular;
    return fs::file_type::unknown;
}

void removeLink(const fs::path& path) {
    if (::unlink(path.c_str()) != 0)
        raiseErrno(path);
}

void copyFile(const fs::path& from, const fs::path& to) {
    // O_NONBLOCK and the type check keep a FIFO swapped in after the walk looked from hanging
    // the copy.
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!in.valid())
        raiseErrno(from);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        raiseErrno(from);
    if (!S_ISREG(info.st_mode))
        raiseAt(rt::desc::PathFileAccessError, from);

    FileDescriptor out(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR));
    if (!out.valid())
        raiseErrno(to);
    copyContents(in.get(), from, out.get(), to);
    if (::fchmod(out.get(), info.st_mode & 07777) != 0)
        raiseErrno(to);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(out.get(), times) != 0)
        raiseErrno(to);
    out.close(to);
}

void copySymlink(const fs::path& from, const fs::path& to) {
    const struct stat info = statOf(from, false);
    std::error_code error;
    const fs::path linkTarget = fs::read_symlink(from, error);
    if (error)
        raiseFor(error, from);
    if (::symlink(linkTarget.c_str(), to.c_str()) != 0)
        raiseErrno(to);
    setTimes(to, info, AT_SYMLINK_NOFOLLOW);
}

void copyFolderAttributes(const fs::path& from, const fs::path& to) {
    const struct stat info = statOf(from, true);
    if (::chmod(to.c_str(), info.st_mode & 07777) != 0)
        raiseErrno(to);
    setTimes(to, info, 0);
}

void renameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    // Some file systems cannot promise no-replace; there the check and the rename are separate
    // steps, which only a concurrent writer in the same folder could slip between.
    if (errno != EINVAL && errno != ENOSYS)
        raiseErrno(from);
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0)
        raiseAt(rt::desc::FileAlreadyExists, to);
    if (::rename(from.c_str(), to.c_str()) != 0)
        raiseErrno(from);
}

std::error_code portableError(std::error_code error) {
    return error;
}

} // namespace tolvar::platform::native
