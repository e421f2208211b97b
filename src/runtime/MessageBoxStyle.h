#pragma once

#include <cstdint>

// The style number of a message box and its result codes. The three choices packed in a
// style are each decoded by testing bits in a fixed order, the first test that holds
// deciding; bits no test looks at are ignored.
namespace tolvar::rt {

enum MsgBoxResultCode : std::int16_t {
    NoAnswer = 0,
    ResultOk = 1,
    ResultCancel = 2,
    ResultAbort = 3,
    ResultRetry = 4,
    ResultIgnore = 5,
    ResultYes = 6,
    ResultNo = 7,
};

struct MsgBoxStyle {
    int iconKind = 0;      // 0, 16 critical, 32 question, 48 exclamation, 64 information
    int buttonSet = 0;     // 0 to 5
    int defaultButton = 0; // 0, 256, 512

    static MsgBoxStyle decode(std::int32_t style);
    int buttonCount() const;
    // The result code of each button of the set, left to right.
    MsgBoxResultCode buttonResult(int index) const;
};

} // namespace tolvar::rt
