#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Other programs the benchmark starts: the baseline commands, the programs whose start-up it
// times, and the sleeping processes that lengthen the process list.
namespace tolvar::bench {

struct ChildRun {
    double seconds = 0;
    double peakRssMb = 0;
};

// Runs the program to its end with `environment` ("NAME=value") added to the benchmark's own,
// timing it from just before it starts; a failed start or a nonzero exit raises. A quiet child's
// diagnostics are dropped.
ChildRun runChild(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {}, bool quiet = false);

// Processes started and ended by id, never by name, so nothing else on the machine is touched.
class SleepingProcesses {
public:
    explicit SleepingProcesses(int count);
    SleepingProcesses(const SleepingProcesses&) = delete;
    SleepingProcesses& operator=(const SleepingProcesses&) = delete;
    ~SleepingProcesses();

private:
    void endAll();

    std::vector<pid_t> ids_;
};

} // namespace tolvar::bench
