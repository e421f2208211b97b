#pragma once

#include <QString>

class QWidget;

namespace tolvar::modAPIs::detail {

// The platform's modal folder dialog behind BrowseFolder, one half per platform.
QString showFolderDialog(QWidget* owner, bool newDialogStyle, bool hideNewFolderButton);

} // namespace tolvar::modAPIs::detail
