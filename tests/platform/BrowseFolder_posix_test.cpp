#include "platform/BrowseFolder.h"
#include "support/ModalAnswer.h"

#include <QFileDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tolvar;

namespace {

TEST(BrowseFolder, OffersDirectoriesOnlyAndNoWayToCreateOneAndCancelGivesTheEmptyText) {
    const QTemporaryDir root;
    QWidget owner;
    owner.show();
    for (const bool accept : {true, false}) {
        const testsupport::ModalAnswer answer([&](QWidget* shown) {
            auto* dialog = qobject_cast<QFileDialog*>(shown);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select a directory."));
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            // A read-only model refuses new entries; with its button hidden, the dialog also
            // leaves "New Folder" off its context menu.
            EXPECT_TRUE(dialog->testOption(QFileDialog::ReadOnly));
            const auto* newFolder = dialog->findChild<QWidget*>(QStringLiteral("newFolderButton"));
            ASSERT_NE(newFolder, nullptr);
            EXPECT_FALSE(newFolder->isVisible());
            dialog->setDirectory(root.path());
            dialog->selectFile(root.path());
            QDialog* asDialog = dialog; // the file dialog's accept() is protected
            accept ? asDialog->accept() : asDialog->reject();
        });
        EXPECT_EQ(modAPIs::BrowseFolder(&owner, true, true), accept ? root.path() : QString());
    }
}

} // namespace
