#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace tolvar::bench {

namespace {

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

// The benchmark's environment with `added` laid over it, a later name replacing an earlier one.
std::vector<std::string> environmentWith(const std::vector<std::string>& added) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : added)
            replaced = replaced || extra.compare(0, name.size(), name) == 0;
        if (!replaced)
            result.push_back(text);
    }
    result.insert(result.end(), added.begin(), added.end());
    return result;
}

pid_t spawn(std::vector<std::string> arguments, std::vector<std::string> environment,
            bool quiet = false) {
    const std::vector<char*> argv = pointers(arguments);
    const std::vector<char*> envp = pointers(environment);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (quiet)
        ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t id = 0;
    const int error = ::posix_spawn(&id, argv[0], &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
    return id;
}

} // namespace

ChildRun runChild(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment, bool quiet) {
    std::vector<std::string> fullEnvironment = environmentWith(environment);
    const auto start = std::chrono::steady_clock::now();
    const pid_t id = spawn(arguments, std::move(fullEnvironment), quiet);
    int status = 0;
    rusage usage{};
    while (::wait4(id, &status, 0, &usage) < 0) {
        if (errno != EINTR)
            throw std::runtime_error("cannot wait for " + arguments[0]);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[0] + " failed (status " + std::to_string(status) + ")");
    // Linux reports the peak resident set in kilobytes.
    return {elapsed.count(), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

SleepingProcesses::SleepingProcesses(int count) {
    const std::vector<std::string> environment = environmentWith({});
    try {
        for (int i = 0; i < count; ++i)
            ids_.push_back(spawn({"/bin/sleep", "600"}, environment));
    } catch (...) {
        endAll();
        throw;
    }
}

SleepingProcesses::~SleepingProcesses() {
    endAll();
}

void SleepingProcesses::endAll() {
    for (const pid_t id : ids_)
        ::kill(id, SIGKILL);
    for (const pid_t id : ids_) {
        int status = 0;
        while (::waitpid(id, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ids_.clear();
}

} // namespace tolvar::bench
