#include "message_box/MsgBoxLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tolvar::msgbox {
namespace {

// A fixed-pitch face: 100 twips a character, 240 a line.
const TextMeasure FixedPitch{
    [](const QString& text) {
        return TwipsSize{100.0F * text.size(), 240};
    },
    [](const QString& text, float width) {
        return TwipsSize{width, 240 * std::ceil(100.0F * text.size() / width)};
    }};

// The design window on an 800-pixel screen at 15 twips a pixel: caption 345, frame 45.
LayoutInput input(const QString& message, int buttons, int icon = 0) {
    LayoutInput in{message, buttons, icon, 0, 345, 45, 1, 1, 12000, {}, {}, {}};
    in.label = {960, 120, 1140, 255};
    in.button = {240, 840, 855, 315};
    in.icon = {120, 120, 480, 480};
    return in;
}

TEST(MsgBoxLayout, AShortTextTakesAFifthOfTheScreenWithButtonsBelowTheIconsPlace) {
    const Layout out = layOut(input(QStringLiteral("\t"), 1), FixedPitch);
    EXPECT_EQ(out.labelCaption, QStringLiteral("    "));
    EXPECT_EQ(out.windowWidth, 120 + 2400 + 120);
    EXPECT_EQ(out.label, (TwipsRect{(2640 - 400) / 2.0F, 120, 400, 240}));
    EXPECT_EQ(out.buttons, (std::vector<TwipsRect>{{(2640 - 855) / 2.0F, 720, 855, 315}}));
}

TEST(MsgBoxLayout, TextWiderThanHalfTheScreenWrapsAndPushesTheButtonsDown) {
    const Layout out = layOut(input(QString(130, QLatin1Char('x')), 2, 32), FixedPitch);
    EXPECT_TRUE(out.labelWordWrap);
    EXPECT_EQ(out.label, (TwipsRect{660, 120, 6000, 3 * 240}));
    EXPECT_EQ(out.windowWidth, 660 + 6000 + 120);
    const float rowLeft = (6780 - (855 + 60 + 855)) / 2.0F;
    EXPECT_EQ(out.buttons, (std::vector<TwipsRect>{{rowLeft, 960, 855, 315},
                                                   {rowLeft + 855 + 60, 960, 855, 315}}));
}

TEST(MsgBoxLayout, ButtonsWiderThanTheTextSetTheColumnAndGapsFollowTheDisplayRatios) {
    LayoutInput in = input(QStringLiteral("Go?"), 3, 16);
    in.scaleX = 1.25F;
    in.scaleY = 1.5F;
    in.defaultButton = 256;
    const Layout out = layOut(in, FixedPitch);
    EXPECT_EQ(out.tabOrder, (std::vector<int>{1, 2, 0})) << "from the default button on";
    const float row = 3 * 855 + 2 * 75;
    EXPECT_EQ(out.windowWidth, 120 + 480 + 75 + row + 120);
    EXPECT_EQ(out.label.left, 675 + (row - 300) / 2);
    // Centred in the window, below the icon by the scaled gap.
    EXPECT_EQ(out.buttons.back(),
              (TwipsRect{(675 + 120) / 2.0F + 2 * (855 + 75), 120 + 480 + 180, 855, 315}));
    EXPECT_EQ(out.windowHeight, 345 + 45 + 780 + 315 + 90 + 45);
}

} // namespace
} // namespace tolvar::msgbox
