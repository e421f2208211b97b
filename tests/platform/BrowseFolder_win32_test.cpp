#include "platform/BrowseFolder.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

using namespace tolvar;

namespace {

// Waits on another thread for the shell's folder dialog, notes whether it shows the program's
// title, and answers it with `command` (IDOK or IDCANCEL).
class DialogAnswer {
public:
    explicit DialogAnswer(WPARAM command)
        : thread_([this, command] {
              // Several dialogs may come and go; the one to answer carries the program's title.
              HWND dialog = nullptr;
              for (int i = 0; i < 1000 && !titled_; ++i) {
                  Sleep(20);
                  dialog = FindWindowA("#32770", nullptr);
                  titled_ =
                      dialog != nullptr && IsWindowVisible(dialog) &&
                      FindWindowExA(dialog, nullptr, "Static", "Select a directory.") != nullptr;
              }
              if (dialog != nullptr) {
                  PostMessageA(dialog, WM_COMMAND, titled_ ? command : IDCANCEL, 0);
              }
          }) {}
    ~DialogAnswer() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    bool titled() {
        thread_.join();
        return titled_;
    }

private:
    std::atomic<bool> titled_ = false;
    std::thread thread_;
};

TEST(BrowseFolder, TheShellsDialogGivesAFileSystemFolderOrOnCancelTheEmptyText) {
    {
        DialogAnswer cancel(IDCANCEL);
        EXPECT_EQ(modAPIs::BrowseFolder(nullptr, true, true), QString());
        EXPECT_TRUE(cancel.titled());
    }
    DialogAnswer ok(IDOK);
    const QString chosen = modAPIs::BrowseFolder(nullptr, true, true);
    EXPECT_TRUE(ok.titled());
    EXPECT_TRUE(QFileInfo(chosen).isDir()) << chosen.toStdString();
}

} // namespace
