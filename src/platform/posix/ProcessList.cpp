#include "platform/ProcessList.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <unistd.h>

namespace tolvar::platform {

namespace {

// Reads the start of a /proc file with one open/read/close; -1 when the process has gone.
ssize_t readProcFile(int procFd, std::uint32_t processId, std::string_view file, char* buffer,
                     std::size_t size) {
    char path[32];
    auto [end, error] = std::to_chars(path, path + 16, processId);
    if (error != std::errc()) {
        return -1;
    }
    *end++ = '/';
    end = std::copy(file.begin(), file.end(), end);
    *end = '\0';
    const int fd = ::openat(procFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    ::close(fd);
    return got;
}

// The name of a process with no argv[0] (a kernel thread, or one that has exited). Its status
// comes in the same read, and a process that has exited but is not yet reaped is no longer
// running: listing it could hide a live process of the same name later in the walk.
bool nameFromStat(int procFd, ProcessEntry& entry) {
    char stat[512];
    const ssize_t got = readProcFile(procFd, entry.processId, "stat", stat, sizeof stat);
    if (got <= 0) {
        return false;
    }
    // The name may itself hold parentheses; nothing after it does.
    const std::string_view line(stat, static_cast<std::size_t>(got));
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == line.npos || close == line.npos || close < open || close + 2 >= line.size()) {
        return false;
    }
    const char state = line[close + 2];
    if (state == 'Z' || state == 'X' || state == 'x') {
        return false;
    }
    const auto name = line.substr(open + 1, std::min(close - open - 1, entry.exeFile.size() - 1));
    std::copy(name.begin(), name.end(), entry.exeFile.begin());
    return true;
}

bool readEntry(int procFd, ProcessEntry& entry) {
    auto& name = entry.exeFile;
    const ssize_t got =
        readProcFile(procFd, entry.processId, "cmdline", name.data(), name.size() - 1);
    if (got < 0) {
        return false;
    }
    // Only argv[0] is the name. What follows it is cleared, since a fallback name is laid over it.
    const auto nul = std::find(name.begin(), name.begin() + got, '\0');
    std::fill(nul, name.end(), '\0');
    return nul != name.begin() || nameFromStat(procFd, entry);
}

} // namespace

ProcessSnapshot::ProcessSnapshot() {
    DIR* const proc = ::opendir("/proc");
    if (proc == nullptr) {
        return;
    }
    const int procFd = ::dirfd(proc);
    while (const dirent* item = ::readdir(proc)) {
        const char* const name = item->d_name;
        const char* const nameEnd = name + std::strlen(name);
        ProcessEntry entry;
        const auto [end, error] = std::from_chars(name, nameEnd, entry.processId);
        if (error != std::errc() || end != nameEnd || entry.processId == 0) {
            continue;
        }
        if (readEntry(procFd, entry)) {
            entries_.push_back(entry);
        }
    }
    ::closedir(proc);
    std::sort(entries_.begin(), entries_.end(), [](const ProcessEntry& a, const ProcessEntry& b) {
        return a.processId < b.processId;
    });
}

bool terminateProcess(std::uint32_t processId) noexcept {
    // kill() reads 0 as the caller's own process group and a negative id as a whole group or,
    // for -1, every process; an id from outside the positive range must never reach it.
    if (processId == 0 ||
        processId > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) {
        return false;
    }
    return ::kill(static_cast<pid_t>(processId), SIGKILL) == 0;
}

} // namespace tolvar::platform
