#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace tolvar::modMain {

// The result code of the button chosen in the last message box; 0 while none has been chosen.
extern std::int16_t MsgBoxResult;

// The program's own modal message box: the platform's style number in, its result code out.
// Without a title the caption is the application title. Anything that goes wrong while the
// box is built or shown hands the question to the platform's standard message box instead;
// the call itself never fails.
std::int32_t ShowMsgBox(QWidget* owner, const QString& prompt, std::int32_t style,
                        const std::optional<QString>& title = std::nullopt);

} // namespace tolvar::modMain
