#include "runtime/MessageBoxStyle.h"

#include <array>

namespace tolvar::rt {

namespace {
bool has(std::int32_t style, std::int32_t bits) {
    return (style & bits) == bits;
}

constexpr std::array<std::array<MsgBoxResultCode, 3>, 6> ButtonSets{{
    {ResultOk, NoAnswer, NoAnswer},
    {ResultOk, ResultCancel, NoAnswer},
    {ResultAbort, ResultRetry, ResultIgnore},
    {ResultYes, ResultNo, ResultCancel},
    {ResultYes, ResultNo, NoAnswer},
    {ResultRetry, ResultCancel, NoAnswer},
}};
} // namespace

// An exclamation is a critical and a question together, and a retry-and-cancel set is an
// ok-and-cancel and a yes-and-no set together: the combined values are tested first.
MsgBoxStyle MsgBoxStyle::decode(std::int32_t style) {
    MsgBoxStyle decoded;
    for (const int icon : {Information, Exclamation, Question, Critical}) {
        if (has(style, icon)) {
            decoded.iconKind = icon;
            break;
        }
    }
    for (const int set : {RetryCancel, YesNo, YesNoCancel, AbortRetryIgnore, OkCancel}) {
        if (has(style, set)) {
            decoded.buttonSet = set;
            break;
        }
    }
    for (const int button : {DefaultButton3, DefaultButton2}) {
        if (has(style, button)) {
            decoded.defaultButton = button;
            break;
        }
    }
    return decoded;
}

int MsgBoxStyle::buttonCount() const {
    int count = 0;
    for (const MsgBoxResultCode code : ButtonSets.at(static_cast<std::size_t>(buttonSet))) {
        count += code != NoAnswer ? 1 : 0;
    }
    return count;
}

MsgBoxResultCode MsgBoxStyle::buttonResult(int index) const {
    return ButtonSets.at(static_cast<std::size_t>(buttonSet)).at(static_cast<std::size_t>(index));
}

} // namespace tolvar::rt
