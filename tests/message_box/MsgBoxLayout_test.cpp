#include "message_box/MsgBoxLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tolvar::msgbox {
namespace {

// A fixed-pitch face: 100 twips a character, 240 a line.
struct FakeText {
    float wrappedAt = -1;

    TextMeasure measure() {
        return {[](const QString& text) {
                    return TwipsSize{100.0F * text.size(), 240};
                },
                [this](const QString& text, float width) {
                    wrappedAt = width;
                    return TwipsSize{width, 240 * std::ceil(100.0F * text.size() / width)};
                }};
    }
};

// The design window on an 800-pixel screen at 15 twips a pixel: caption 345, frame 45.
LayoutInput input(const QString& message, int buttons, int icon = 0, int defaultButton = 0) {
    LayoutInput in{message, buttons, icon, defaultButton, 345, 45, 1, 1, 12000, {}, {}, {}};
    in.label = {960, 120, 1140, 255};
    in.button = {240, 840, 855, 315};
    in.icon = {120, 120, 480, 480};
    return in;
}

TEST(MsgBoxLayout, AShortTextTakesAFifthOfTheScreenWithButtonsBelowTheIconsPlace) {
    FakeText text;
    const Layout out = layOut(input(QStringLiteral("\t"), 1), text.measure());
    EXPECT_EQ(out.labelCaption, QStringLiteral("    "));
    EXPECT_EQ(out.windowWidth, 120 + 2400 + 120);
    EXPECT_EQ(out.label, (TwipsRect{(2640 - 400) / 2.0F, 120, 400, 240}));
    EXPECT_FALSE(out.labelWordWrap);
    ASSERT_EQ(out.buttons.size(), 1U);
    EXPECT_EQ(out.buttons[0], (TwipsRect{(2640 - 855) / 2.0F, 720, 855, 315}));
    EXPECT_EQ(out.windowHeight, 345 + 45 + 720 + 315 + 60 + 45);
}

TEST(MsgBoxLayout, TextWiderThanHalfTheScreenWrapsAndPushesTheButtonsDown) {
    FakeText text;
    const Layout out = layOut(input(QString(130, QLatin1Char('x')), 2, 32), text.measure());
    EXPECT_EQ(text.wrappedAt, 6000);
    EXPECT_TRUE(out.labelWordWrap);
    EXPECT_EQ(out.label, (TwipsRect{660, 120, 6000, 3 * 240}));
    EXPECT_EQ(out.windowWidth, 660 + 6000 + 120);
    const float rowLeft = (6780 - (855 + 60 + 855)) / 2.0F;
    ASSERT_EQ(out.buttons.size(), 2U);
    EXPECT_EQ(out.buttons[0], (TwipsRect{rowLeft, 120 + 720 + 120, 855, 315}));
    EXPECT_EQ(out.buttons[1], (TwipsRect{rowLeft + 855 + 60, 960, 855, 315}));
}

TEST(MsgBoxLayout, ButtonsWiderThanTheTextSetTheColumnAndGapsFollowTheDisplayRatios) {
    FakeText text;
    LayoutInput in = input(QStringLiteral("Go?"), 3, 16);
    in.scaleX = 1.25F;
    in.scaleY = 1.5F;
    const Layout out = layOut(in, text.measure());
    const float row = 3 * 855 + 2 * 75;
    EXPECT_EQ(out.windowWidth, 120 + 480 + 75 + row + 120);
    EXPECT_EQ(out.label.left, 675 + (row - 300) / 2);
    ASSERT_EQ(out.buttons.size(), 3U);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out.buttons[i].left, (675 + 120) / 2.0F + i * (855 + 75))
            << "centred in the window";
    }
    EXPECT_EQ(out.buttons[0].top, 120 + 480 + 180);
    EXPECT_EQ(out.windowHeight, 345 + 45 + 780 + 315 + 90 + 45);
}

TEST(MsgBoxLayout, DefaultButtonLeadsTheTabOrder) {
    const struct {
        int buttons;
        int defaultButton;
        std::vector<int> order;
    } cases[] = {{1, 256, {0}},    {2, 0, {0, 1}},      {2, 256, {1, 0}},
                 {2, 512, {0, 1}}, {3, 256, {1, 2, 0}}, {3, 512, {2, 0, 1}}};
    for (const auto& c : cases) {
        FakeText text;
        SCOPED_TRACE(::testing::Message() << c.buttons << " buttons, default " << c.defaultButton);
        EXPECT_EQ(layOut(input(QStringLiteral("x"), c.buttons, 0, c.defaultButton), text.measure())
                      .tabOrder,
                  c.order);
    }
}

TEST(MsgBoxLayout, LimitsCompareInWholeTwipsWithHalvesToEven) {
    FakeText text;
    // A fifth of 12005 is 2401; 2400.5 rounds to 2400, so the column widens to the fifth.
    LayoutInput in = input(QStringLiteral("x"), 1);
    in.screenWidth = 12005;
    TextMeasure measure = text.measure();
    measure.natural = [](const QString&) { return TwipsSize{2400.5F, 240}; };
    EXPECT_EQ(layOut(in, measure).windowWidth, 120 + 2401 + 120);

    // Half of 12005 is 6002.5, made whole 6002.
    in.message = QString(70, QLatin1Char('x'));
    layOut(in, text.measure());
    EXPECT_EQ(text.wrappedAt, 6002);
}

} // namespace
} // namespace tolvar::msgbox
