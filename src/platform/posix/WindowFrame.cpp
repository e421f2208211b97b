#include "platform/WindowFrame.h"

namespace tolvar::platform {

// The frame belongs to the window manager here, which says nothing before a window is mapped and
// offers no system menu to edit; Qt's numbers and window hints stand in.
std::optional<FrameMetrics> systemFrameMetrics() {
    return std::nullopt;
}

bool removeCloseCommand(NativeWindow /*window*/) {
    return false;
}

} // namespace tolvar::platform
