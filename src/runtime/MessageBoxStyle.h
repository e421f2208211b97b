#pragma once

#include <cstdint>

// The style number of a message box and its result codes. The three choices packed in a
// style are each decoded by testing bits in a fixed order, the first test that holds
// deciding; bits no test looks at are ignored.
namespace tolvar::rt {

// The parts of a style number as the forms API names them, one of each kind added together:
// YesNo | Question | DefaultButton2. The values are the API's own.
enum MsgBoxStyleValue : std::int32_t {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
};

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

// Which button of the set, from 0 at the left, a default button value names.
constexpr int defaultButtonIndex(int defaultButton) {
    return defaultButton == DefaultButton3 ? 2 : (defaultButton == DefaultButton2 ? 1 : 0);
}

struct MsgBoxStyle {
    int iconKind = 0;                   // 0 (none), Critical, Question, Exclamation, Information
    int buttonSet = OkOnly;             // OkOnly to RetryCancel
    int defaultButton = DefaultButton1; // DefaultButton1 to DefaultButton3

    static MsgBoxStyle decode(std::int32_t style);
    int buttonCount() const;
    // The result code of each button of the set, left to right.
    MsgBoxResultCode buttonResult(int index) const;
};

} // namespace tolvar::rt
