#include "platform/BrowseFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tolvar;

namespace {

// Runs `inspect` on the dialog once it is up, then answers it with `accept`.
void whenDialogShows(const std::function<void(QFileDialog&)>& inspect, bool accept) {
    QTimer::singleShot(0, [inspect, accept] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspect(*dialog);
        QDialog* asDialog = dialog;
        accept ? asDialog->accept() : asDialog->reject();
    });
}

TEST(BrowseFolder, OffersDirectoriesOnlyAndNoWayToCreateOneAndCancelGivesTheEmptyText) {
    QTemporaryDir root;
    QWidget owner;
    owner.show();
    whenDialogShows(
        [&root](QFileDialog& dialog) {
            EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
            // A read-only model refuses new entries; with its button hidden, the dialog also
            // leaves "New Folder" off its context menu.
            EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
            const auto* newFolder = dialog.findChild<QWidget*>(QStringLiteral("newFolderButton"));
            ASSERT_NE(newFolder, nullptr);
            EXPECT_FALSE(newFolder->isVisible());
            dialog.setDirectory(root.path());
            dialog.selectFile(root.path());
        },
        true);
    EXPECT_EQ(modAPIs::BrowseFolder(&owner, true, true), root.path());
    whenDialogShows([](QFileDialog&) {}, false);
    EXPECT_EQ(modAPIs::BrowseFolder(&owner, true, true), QString());
}

} // namespace
