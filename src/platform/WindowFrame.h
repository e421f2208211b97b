#pragma once

#include <cstdint>
#include <optional>

// What the window system draws around a top-level window: the frame's measures and the system
// menu behind the title bar's icon.
namespace tolvar::platform {

// A native window as the window system names it (a window handle on Windows).
using NativeWindow = std::uintptr_t;

// In pixels: the caption bar's height and the thickness of a dialog frame.
struct FrameMetrics {
    int captionHeight = 0;
    int frameThickness = 0;
};

// The system's own measures (SM_CYCAPTION, SM_CYDLGFRAME) where it has them; empty where the
// windowing toolkit's numbers serve instead.
std::optional<FrameMetrics> systemFrameMetrics();

// Takes the last two entries, the close command and the separator above it, off the window's own
// system menu, which also disables its close box. Returns false where the window has no system
// menu to change, which leaves keeping the window open to the toolkit.
bool removeCloseCommand(NativeWindow window);

} // namespace tolvar::platform
