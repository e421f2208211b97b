#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tolvar::modAPIs {

// Asks the user for a folder in a modal dialog over `owner`, titled "Select a directory.",
// offering file-system directories only. Returns the chosen folder's full path, or the empty
// text when the user cancels. The new dialog style is the resizable one; without a new-folder
// button the dialog offers no way at all to create a folder.
QString BrowseFolder(QWidget* owner, bool newDialogStyle, bool hideNewFolderButton);

namespace testing {
// Test seam: the next call answers with `directory` (empty for a cancel) without showing the
// dialog.
void setNextDirectory(std::optional<QString> directory);
} // namespace testing

} // namespace tolvar::modAPIs
