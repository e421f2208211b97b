#include "platform/WindowFrame.h"

#include <windows.h>

namespace tolvar::platform {

std::optional<FrameMetrics> systemFrameMetrics() {
    return FrameMetrics{GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYDLGFRAME)};
}

bool removeCloseCommand(NativeWindow window) {
    const auto handle = reinterpret_cast<HWND>(window);
    // FALSE: the window's own copy of the menu, not a reset to the system's default one.
    const HMENU menu = GetSystemMenu(handle, FALSE);
    if (menu == nullptr) {
        return false;
    }
    const int entries = GetMenuItemCount(menu);
    if (entries > 0) {
        RemoveMenu(menu, static_cast<UINT>(entries - 1), MF_BYPOSITION | MF_REMOVE);
        RemoveMenu(menu, static_cast<UINT>(entries - 2), MF_BYPOSITION | MF_REMOVE);
        DrawMenuBar(handle);
    }
    return true;
}

} // namespace tolvar::platform
