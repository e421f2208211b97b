#include "platform/posix/SmallFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvar::platform {

namespace {

[[noreturn]] void raiseErrno() {
    throw std::runtime_error(std::strerror(errno));
}

} // namespace

std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t limit) {
    // O_NONBLOCK keeps a FIFO at the path from stalling the open until a writer appears.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        raiseErrno();
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        raiseErrno();
    }
    if (!S_ISREG(info.st_mode)) {
        throw std::runtime_error("not a regular file");
    }
    std::string contents;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            return contents;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno();
        }
        if (contents.size() + static_cast<std::size_t>(got) > limit) {
            throw std::runtime_error("larger than " + std::to_string(limit) + " bytes");
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace tolvar::platform
