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

MsgBoxStyle MsgBoxStyle::decode(std::int32_t style) {
    MsgBoxStyle decoded;
    if (has(style, 64)) {
        decoded.iconKind = 64;
    } else if (has(style, 16 | 32)) {
        decoded.iconKind = 48;
    } else if (has(style, 32)) {
        decoded.iconKind = 32;
    } else if (has(style, 16)) {
        decoded.iconKind = 16;
    }

    if (has(style, 1 | 4)) {
        decoded.buttonSet = 5;
    } else if (has(style, 4)) {
        decoded.buttonSet = 4;
    } else if (has(style, 1 | 2)) {
        decoded.buttonSet = 3;
    } else if (has(style, 2)) {
        decoded.buttonSet = 2;
    } else if (has(style, 1)) {
        decoded.buttonSet = 1;
    }

    if (has(style, 512)) {
        decoded.defaultButton = 512;
    } else if (has(style, 256)) {
        decoded.defaultButton = 256;
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
