#include "platform/DisplayMetrics.h"

namespace tolvar::platform {

// The display is the window system's business here, which the program reaches through Qt.
std::optional<DisplayMetrics> measureDisplay() {
    return std::nullopt;
}

} // namespace tolvar::platform
