#include "runtime/MessageBoxStyle.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tolvar::rt;

namespace {

struct Decoded {
    std::int32_t style;
    int iconKind;
    int buttonSet;
    int defaultButton;
    std::vector<MsgBoxResultCode> buttons;
};

std::vector<MsgBoxResultCode> buttonsOf(const MsgBoxStyle& decoded) {
    std::vector<MsgBoxResultCode> buttons;
    for (int i = 0; i < decoded.buttonCount(); ++i) {
        buttons.push_back(decoded.buttonResult(i));
    }
    return buttons;
}

TEST(MsgBoxStyle, DecodesByTheFirstBitTestThatHolds) {
    const std::vector<Decoded> table = {
        {0, 0, 0, 0, {ResultOk}},
        {1, 0, 1, 0, {ResultOk, ResultCancel}},
        {2, 0, 2, 0, {ResultAbort, ResultRetry, ResultIgnore}},
        {3, 0, 3, 0, {ResultYes, ResultNo, ResultCancel}},
        {5, 0, 5, 0, {ResultRetry, ResultCancel}},
        {6, 0, 4, 0, {ResultYes, ResultNo}},
        {7, 0, 5, 0, {ResultRetry, ResultCancel}},
        {16, 16, 0, 0, {ResultOk}},
        {48, 48, 0, 0, {ResultOk}},
        {64, 64, 0, 0, {ResultOk}},
        {112, 64, 0, 0, {ResultOk}},
        {292, 32, 4, 256, {ResultYes, ResultNo}},
        {516, 0, 4, 512, {ResultYes, ResultNo}},
        {768 + 3, 0, 3, 512, {ResultYes, ResultNo, ResultCancel}},
        {4096 + 8 + 48, 48, 0, 0, {ResultOk}},
    };
    for (const Decoded& expected : table) {
        SCOPED_TRACE(expected.style);
        const MsgBoxStyle decoded = MsgBoxStyle::decode(expected.style);
        EXPECT_EQ(decoded.iconKind, expected.iconKind);
        EXPECT_EQ(decoded.buttonSet, expected.buttonSet);
        EXPECT_EQ(decoded.defaultButton, expected.defaultButton);
        EXPECT_EQ(buttonsOf(decoded), expected.buttons);
    }
}

} // namespace
