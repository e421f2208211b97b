#include "platform/ProcessList.h"

#include "platform/win32/AnsiText.h"
#include "platform/win32/Handle.h"

#include <windows.h>

#include <algorithm>
#include <tlhelp32.h>

namespace tolvar::platform {

namespace {

// Heap lists, processes, threads and modules, as the program has always asked for them.
constexpr DWORD SnapshotFlags =
    TH32CS_SNAPHEAPLIST | TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD | TH32CS_SNAPMODULE;
static_assert(SnapshotFlags == 15);

// The single-byte record is 296 bytes in a 32-bit process; its heap id is pointer-sized, so a
// 64-bit process passes 304, which is what the platform checks the size field against.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 4 ? 296 : 304));

using win32::Handle;

// The name in the program's text, cut to the record's field without splitting a character.
void storeName(const PROCESSENTRY32& record, ProcessEntry& entry) {
    const std::string name = win32::fromAnsi(record.szExeFile);
    std::size_t length = std::min(name.size(), entry.exeFile.size() - 1);
    if (length < name.size()) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::copy_n(name.begin(), length, entry.exeFile.begin());
}

} // namespace

ProcessSnapshot::ProcessSnapshot() {
    const Handle snapshot(CreateToolhelp32Snapshot(SnapshotFlags, 0));
    if (!snapshot.valid()) {
        return;
    }
    PROCESSENTRY32 record{};
    record.dwSize = sizeof record;
    for (BOOL more = Process32First(snapshot.get(), &record); more;
         more = Process32Next(snapshot.get(), &record)) {
        ProcessEntry entry;
        entry.processId = record.th32ProcessID;
        storeName(record, entry);
        entries_.push_back(entry);
    }
}

bool terminateProcess(std::uint32_t processId) noexcept {
    if (processId == 0) {
        return false;
    }
    const Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    static_assert(PROCESS_TERMINATE == 1);
    return process.valid() && TerminateProcess(process.get(), 0) != 0;
}

} // namespace tolvar::platform
