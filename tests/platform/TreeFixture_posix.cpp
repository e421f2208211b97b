#include "platform/TreeFixture.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::string describeEntry(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "missing";
    }
    std::ostringstream out;
    out << std::oct << (info.st_mode & 07777) << std::dec << " @" << info.st_mtim.tv_sec << "."
        << info.st_mtim.tv_nsec << " ";
    if (S_ISLNK(info.st_mode)) {
        return out.str() + "link -> " + fs::read_symlink(path).string();
    }
    if (S_ISREG(info.st_mode)) {
        return out.str() + "file: " + readFile(path);
    }
    return out.str() + (S_ISDIR(info.st_mode) ? "folder" : "special");
}

void setTimes(const fs::path& path, long long second) {
    const timespec times[2] = {{second, 5}, {second, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

bool setImmutable(const fs::path& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

bool makeLink(const fs::path& link, const fs::path& to) {
    return ::symlink(to.c_str(), link.c_str()) == 0;
}
