#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The running processes as the program walks them: a point-in-time list of ids and executable
// names, fetched record by record as from the platform's process snapshot. The backend fills the
// list when the snapshot is taken, so the walk itself never touches the system.
namespace tolvar::platform {

struct ProcessEntry {
    std::uint32_t processId = 0;
    // The executable name as the platform reports it, NUL-terminated and cut to 259 bytes.
    std::array<char, 260> exeFile{};
};

class ProcessSnapshot {
public:
    // Lists the processes in the platform's order: the snapshot's on Windows, ascending id where
    // the platform has no order of its own. One that ends or cannot be read meanwhile is left out.
    // A snapshot that cannot be taken is empty.
    ProcessSnapshot();

    // Stores the first record; false when there is none.
    bool first(ProcessEntry& entry) {
        cursor_ = 0;
        return next(entry);
    }

    // Stores the record after the last one stored; false at the end.
    bool next(ProcessEntry& entry) {
        if (cursor_ >= entries_.size()) {
            return false;
        }
        entry = entries_[cursor_++];
        return true;
    }

private:
    std::vector<ProcessEntry> entries_;
    std::size_t cursor_ = 0;
};

// Ends the process at once with exit code 0. False when there is no such process, it may not be
// ended, or the id is 0 (never a process the program may end).
bool terminateProcess(std::uint32_t processId) noexcept;

} // namespace tolvar::platform
