#include "message_box/MsgBoxLayout.h"
#include "runtime/core/Failure.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

namespace tolvar::msgbox {
namespace {

// A fixed-pitch face on one line: 100 twips a character, 240 a line.
struct FakeText {
    float wrappedAt = -1;

    TextMeasure measure() {
        return {[](const QString& text) {
                    return TwipsSize{100 * static_cast<float>(text.size()), 240};
                },
                [this](const QString& text, float width) {
                    wrappedAt = width;
                    return TwipsSize{
                        width, 240 * std::ceil(100 * static_cast<float>(text.size()) / width)};
                }};
    }
};

// The design window on an 800-pixel screen at 15 twips a pixel.
LayoutInput input(const QString& message, int buttons, int icon = 0, int defaultButton = 0) {
    LayoutInput in;
    in.message = message;
    in.buttonCount = buttons;
    in.iconKind = icon;
    in.defaultButton = defaultButton;
    in.captionHeight = 345;
    in.frameHeight = 45;
    in.screenWidth = 12000;
    in.label = {960, 120, 1140, 255};
    in.button = {240, 840, 855, 315};
    in.icon = {120, 120, 480, 480};
    return in;
}

TEST(MsgBoxLayout, OneWordTakesAFifthOfTheScreenAndButtonsSitBelowTheIconsPlace) {
    FakeText text;
    const Layout bare = layOut(input(QStringLiteral("Hi"), 1), text.measure());
    EXPECT_EQ(bare.windowWidth, 120 + 2400 + 120);
    EXPECT_EQ(bare.label, (TwipsRect{(2640 - 200) / 2.0F, 120, 200, 240}));
    EXPECT_FALSE(bare.labelWordWrap);
    ASSERT_EQ(bare.buttons.size(), 1U);
    EXPECT_EQ(bare.buttons[0], (TwipsRect{(2640 - 855) / 2.0F, 720, 855, 315}));
    EXPECT_EQ(bare.windowHeight, 345 + 45 + 720 + 315 + 60 + 45);

    const Layout withIcon = layOut(input(QStringLiteral("Hi"), 1, 64), text.measure());
    EXPECT_EQ(withIcon.windowWidth, 120 + 480 + 60 + 2400 + 120);
    EXPECT_EQ(withIcon.label.left, 660 + (2400 - 200) / 2.0F);
    EXPECT_EQ(withIcon.buttons[0].left, (3180 - 855) / 2.0F);
    EXPECT_EQ(withIcon.buttons[0].top, 720);
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

TEST(MsgBoxLayout, ThreeButtonsWiderThanTheTextSetTheColumnAndStandCentred) {
    FakeText text;
    const Layout out = layOut(input(QStringLiteral("Go?"), 3, 16), text.measure());
    const float row = 3 * 855 + 2 * 60;
    EXPECT_EQ(out.windowWidth, 660 + row + 120);
    EXPECT_EQ(out.label.left, 660 + (row - 300) / 2);
    ASSERT_EQ(out.buttons.size(), 3U);
    EXPECT_EQ(out.buttons[0].left, 390);
    EXPECT_EQ(out.buttons[1].left, 390 + 915);
    EXPECT_EQ(out.buttons[2].left, 390 + 2 * 915);
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

TEST(MsgBoxLayout, GapsAndMarginsFollowTheDisplayRatios) {
    FakeText text;
    LayoutInput in = input(QStringLiteral("Hi"), 2, 48);
    in.scaleX = 1.25F;
    in.scaleY = 1.5F;
    const Layout out = layOut(in, text.measure());
    EXPECT_EQ(out.windowWidth, 120 + 480 + 75 + 2400 + 120);
    EXPECT_EQ(out.buttons[1].left - out.buttons[0].left, 855 + 75);
    EXPECT_EQ(out.buttons[0].top, 120 + 480 + 180);
    EXPECT_EQ(out.windowHeight, 345 + 45 + 780 + 315 + 90 + 45);
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

TEST(MsgBoxLayout, ArithmeticLeavingTheFloatRangeIsAnOverflow) {
    FakeText text;
    for (const float ratio :
         {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 3e38F}) {
        LayoutInput in = input(QStringLiteral("x"), 2);
        in.scaleX = ratio;
        SCOPED_TRACE(ratio);
        EXPECT_THAT([&] { layOut(in, text.measure()); },
                    ::testing::ThrowsMessage<rt::Failure>(::testing::StrEq(rt::desc::Overflow)));
    }
}

} // namespace
} // namespace tolvar::msgbox
