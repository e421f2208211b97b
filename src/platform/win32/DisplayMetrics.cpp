#include "platform/DisplayMetrics.h"

#include <windows.h>

namespace tolvar::platform {

std::optional<DisplayMetrics> measureDisplay() {
    // The record starts zero-filled, so a failed query measures 0 by 0.
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    DisplayMetrics metrics;
    metrics.width = static_cast<int>(mode.dmPelsWidth);
    metrics.height = static_cast<int>(mode.dmPelsHeight);

    const HWND desktop = GetDesktopWindow();
    const HDC context = GetDC(desktop);
    metrics.dpi = GetDeviceCaps(context, LOGPIXELSX);
    ReleaseDC(desktop, context);
    return metrics;
}

} // namespace tolvar::platform
