#include "platform/FolderDialog.h"

#include <QFileDialog>
#include <QWidget>

namespace tolvar::modAPIs::detail {

QString showFolderDialog(QWidget* owner, bool newDialogStyle, bool hideNewFolderButton) {
    // The program builds the dialog itself: a native one could not be kept from creating
    // folders.
    QFileDialog dialog(owner, QStringLiteral("Select a directory."));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setSizeGripEnabled(newDialogStyle);
    if (hideNewFolderButton) {
        // Read-only greys the button out and takes "New Folder" off the context menu; hiding
        // the button leaves nothing that suggests a folder could be made.
        dialog.setOption(QFileDialog::ReadOnly);
        if (auto* button = dialog.findChild<QWidget*>(QStringLiteral("newFolderButton"))) {
            button->hide();
        }
    }
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace tolvar::modAPIs::detail
