#include "platform/BrowseFolder.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <windows.h>

#include <future>

using namespace tolvar;

namespace {

// Waits on another thread for the shell's folder dialog and answers it with `command` (IDOK or
// IDCANCEL); the result says whether it showed the program's title. Several dialogs may come and
// go: the one to answer carries that title, and any other left is cancelled.
std::future<bool> answerDialog(WPARAM command) {
    return std::async(std::launch::async, [command] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000; ++i) {
            Sleep(20);
            dialog = FindWindowA("#32770", nullptr);
            if (dialog != nullptr && IsWindowVisible(dialog) &&
                FindWindowExA(dialog, nullptr, "Static", "Select a directory.") != nullptr) {
                PostMessageA(dialog, WM_COMMAND, command, 0);
                return true;
            }
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return false;
    });
}

TEST(BrowseFolder, TheShellsDialogGivesAFileSystemFolderOrOnCancelTheEmptyText) {
    auto cancel = answerDialog(IDCANCEL);
    EXPECT_EQ(modAPIs::BrowseFolder(nullptr, true, true), QString());
    EXPECT_TRUE(cancel.get());
    auto ok = answerDialog(IDOK);
    const QString chosen = modAPIs::BrowseFolder(nullptr, true, true);
    EXPECT_TRUE(ok.get());
    EXPECT_TRUE(QFileInfo(chosen).isDir()) << chosen.toStdString();
}

} // namespace
