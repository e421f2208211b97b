#include "platform/FolderDialog.h"

#include "platform/modAPIs.h"
#include "platform/win32/AnsiText.h"

#include <QWidget>

#include <windows.h>

#include <shlobj.h>
#include <string>

namespace tolvar::modAPIs::detail {

QString showFolderDialog(QWidget* owner, bool newDialogStyle, bool hideNewFolderButton) {
    const std::string title = platform::win32::toAnsi("Select a directory.");
    std::string displayName(MAX_PATH, ' ');

    BROWSEINFOA info{};
    info.hwndOwner = owner != nullptr ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    if (newDialogStyle) {
        info.ulFlags |= BIF_NEWDIALOGSTYLE;
    }
    if (hideNewFolderButton) {
        info.ulFlags |= BIF_NONEWFOLDERBUTTON;
    }

    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (item == nullptr) {
        return {};
    }
    std::string path(MAX_PATH, ' ');
    std::string result;
    if (SHGetPathFromIDListA(item, path.data()) != FALSE) {
        result = TrimAtNull(platform::win32::fromAnsi(path));
    }
    CoTaskMemFree(item);
    return QString::fromStdString(result);
}

} // namespace tolvar::modAPIs::detail
