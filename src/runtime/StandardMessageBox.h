#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The platform's own message box: prompt and style number in, result code out. Without a
// title its caption is the application title.
namespace tolvar::rt {

int standardMessageBox(const QString& prompt, std::int32_t style,
                       const std::optional<QString>& title = std::nullopt);

// Test seam: while set, the hook answers in place of the box and sees what would be shown
// (prompt, style and the caption the box would carry).
using StandardMessageBoxHook =
    std::function<int(const QString& prompt, std::int32_t style, const QString& caption)>;
void setStandardMessageBoxHook(StandardMessageBoxHook hook);

} // namespace tolvar::rt
