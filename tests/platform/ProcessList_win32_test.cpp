#include "platform/TreeFixture.h"
#include "platform/modAPIs.h"

#include <windows.h>

#include <stdexcept>

namespace fs = std::filesystem;
using namespace tolvar::platform;
using tolvar::modAPIs::KillProcessById;

// Children are copies of a program that only waits, named as the update run looks for them;
// what a test leaves running is ended.
class ProcessWalk : public TreeFixture {
protected:
    void TearDown() override {
        for (const auto& [id, child] : children_) {
            TerminateProcess(child, 1);
            WaitForSingleObject(child, INFINITE);
            CloseHandle(child);
        }
        TreeFixture::TearDown();
    }

    std::uint32_t start(const std::string& name) {
        std::wstring self(MAX_PATH, L'\0');
        self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
        const fs::path program = root / std::to_string(children_.size()) / name;
        fs::create_directories(program.parent_path());
        fs::copy_file(fs::path(self).replace_filename(L"tolvar_idle.exe"), program);
        std::wstring command = L"\"" + program.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started)) {
            throw std::runtime_error("cannot start " + program.string());
        }
        CloseHandle(started.hThread);
        children_[started.dwProcessId] = started.hProcess;
        return started.dwProcessId;
    }

    std::map<std::uint32_t, HANDLE> children_;
};

TEST_F(ProcessWalk, EndsTheFirstNodeExeWithExitCodeZeroAndLeavesTheSecondRunning) {
    EXPECT_FALSE(terminateProcess(0));
    const auto one = start("Node.exe");
    const auto two = start("Node.exe");
    const auto first = findNow("NODE.EXE");
    ASSERT_TRUE(first == one || first == two);
    KillProcessById(*first);
    ASSERT_EQ(WaitForSingleObject(children_[*first], 10'000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(children_[*first], &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(findNow("Node.exe"), *first == one ? two : one);
}
