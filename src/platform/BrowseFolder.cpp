#include "platform/BrowseFolder.h"

#include "platform/FolderDialog.h"

namespace tolvar::modAPIs {

namespace {
std::optional<QString>& nextDirectory() {
    static std::optional<QString> answer;
    return answer;
}
} // namespace

QString BrowseFolder(QWidget* owner, bool newDialogStyle, bool hideNewFolderButton) {
    if (std::optional<QString> answer = std::exchange(nextDirectory(), std::nullopt)) {
        return *answer;
    }
    return detail::showFolderDialog(owner, newDialogStyle, hideNewFolderButton);
}

namespace testing {
void setNextDirectory(std::optional<QString> directory) {
    nextDirectory() = std::move(directory);
}
} // namespace testing

} // namespace tolvar::modAPIs
