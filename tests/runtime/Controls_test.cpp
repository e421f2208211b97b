#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Screen.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

using namespace tolvar::rt;
using tolvar::rt::test::BlankForm;
using tolvar::rt::test::failureOf;
using tolvar::rt::test::showActive;

namespace {

class ControlGeometry : public ::testing::Test {
protected:
    BlankForm form;
    CommandButton* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
};

TEST_F(ControlGeometry, TwipsAreKeptAsWrittenAndShownInWholePixels) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    EXPECT_FLOAT_EQ(tx, static_cast<float>(1440.0 / primary->logicalDotsPerInchX()));
    EXPECT_FLOAT_EQ(ty, static_cast<float>(1440.0 / primary->logicalDotsPerInchY()));

    button->move(10 * tx, 20 * ty, 80 * tx, 25 * ty);
    EXPECT_EQ(button->widget()->geometry(), QRect(10, 20, 80, 25));

    button->setLeft(12.4F * tx);
    button->setWidth(80.6F * tx);
    EXPECT_FLOAT_EQ(button->left(), 12.4F * tx);
    EXPECT_FLOAT_EQ(button->width(), 80.6F * tx);
    EXPECT_EQ(button->widget()->x(), 12);
    EXPECT_EQ(button->widget()->width(), 81);
}

TEST_F(ControlGeometry, MoveChangesOnlyTheValuesGiven) {
    button->move(100, 200, 300, 400);
    button->move(150, 250);
    EXPECT_EQ(QRectF(button->left(), button->top(), button->width(), button->height()),
              QRectF(150, 250, 300, 400));
    button->move(10, 20, 30);
    EXPECT_EQ(QRectF(button->left(), button->top(), button->width(), button->height()),
              QRectF(10, 20, 30, 400));
    button->move(1, 2, 3, 4);
    EXPECT_EQ(QRectF(button->left(), button->top(), button->width(), button->height()),
              QRectF(1, 2, 3, 4));
}

TEST_F(ControlGeometry, ARefusedMoveLeavesTheControlWhereItWas) {
    button->move(100 * tx, 50 * ty, 80 * tx, 25 * ty);
    const QRect shown = button->widget()->geometry();
    EXPECT_EQ(failureOf([&] { button->move(5, 5, -1); }), "Invalid property value");
    EXPECT_EQ(failureOf([&] { button->move(5, 5, 90, -1); }), "Invalid property value");
    EXPECT_FLOAT_EQ(button->left(), 100 * tx);
    EXPECT_FLOAT_EQ(button->top(), 50 * ty);
    EXPECT_FLOAT_EQ(button->width(), 80 * tx);
    EXPECT_FLOAT_EQ(button->height(), 25 * ty);
    EXPECT_EQ(button->widget()->geometry(), shown);
}

TEST_F(ControlGeometry, SelfSizingLabelGrowsWithItsText) {
    auto* label = new Label(&form, QStringLiteral("lblProg"));
    label->setAutoSize(true);
    label->setCaption(QStringLiteral("Updating"));
    const float shortWidth = label->width();
    const float lineHeight = label->height();
    EXPECT_GT(shortWidth, 0);
    EXPECT_GT(lineHeight, 0);

    const QString longLine = QStringLiteral("Updating the Norvik utility of Lumeo");
    label->setCaption(longLine);
    const float longWidth = label->width();
    EXPECT_GT(longWidth, shortWidth);
    EXPECT_FLOAT_EQ(label->height(), lineHeight);
    EXPECT_GE(label->widget()->width(),
              QFontMetrics(label->widget()->font()).horizontalAdvance(longLine))
        << "the widget shows the whole line";

    label->setCaption(QStringLiteral("Updating\r\n") + longLine);
    EXPECT_FLOAT_EQ(label->width(), longWidth) << "as wide as the widest line";
    EXPECT_GT(label->height(), 1.5F * lineHeight);
    EXPECT_EQ(label->caption(), QStringLiteral("Updating\r\n") + longLine);

    label->setCaption(longLine);
    label->setFontSize(label->fontSize() * 2);
    EXPECT_GT(label->width(), longWidth) << "a larger font refits the label";
}

TEST_F(ControlGeometry, WordWrappingLabelGrowsInHeightOnly) {
    auto* label = new Label(&form, QStringLiteral("lblMsg"));
    label->setAutoSize(true);
    label->setCaption(QStringLiteral("x"));
    const float lineHeight = label->height();

    label->setWordWrap(true);
    label->setWidth(100 * tx);
    label->setCaption(QStringLiteral("The folder named Norvik is replaced in every product the "
                                     "user has ticked, one after the other."));
    EXPECT_FLOAT_EQ(label->width(), 100 * tx);
    EXPECT_GT(label->height(), 2.5F * lineHeight);
    const float narrowHeight = label->height();

    label->setWidth(2000 * tx);
    EXPECT_FLOAT_EQ(label->width(), 2000 * tx);
    EXPECT_LT(label->height(), narrowHeight) << "a wider label refits to fewer lines";
}

class CheckBoxValue : public ::testing::Test {
protected:
    CheckBoxValue() {
        box->move(120, 120, 3000, 375);
        box->setCaption(QStringLiteral("Lumeo"));
        QObject::connect(box, &Control::Click, &form, [this] { ++clicks; });
    }

    void clickAsTheUser() {
        QStyleOptionButton option;
        option.initFrom(box->widget());
        const QRect indicator = box->widget()->style()->subElementRect(QStyle::SE_CheckBoxIndicator,
                                                                       &option, box->widget());
        QTest::mouseClick(box->widget(), Qt::LeftButton, {}, indicator.center());
    }

    BlankForm form;
    CheckBox* box = new CheckBox(&form, QStringLiteral("chkPrd"));
    int clicks = 0;
};

TEST_F(CheckBoxValue, EveryChangeFiresClickWhetherByCodeOrByTheUser) {
    box->setValue(1);
    EXPECT_EQ(clicks, 1);
    box->setValue(1);
    EXPECT_EQ(clicks, 1) << "no change, no Click";
    box->setValue(2);
    EXPECT_EQ(box->value(), 2);
    EXPECT_EQ(clicks, 2);
    box->setValue(0);
    EXPECT_EQ(clicks, 3);

    ASSERT_TRUE(showActive(form));
    clickAsTheUser();
    EXPECT_EQ(box->value(), 1);
    EXPECT_EQ(clicks, 4);
    clickAsTheUser();
    EXPECT_EQ(box->value(), 0);
    EXPECT_EQ(clicks, 5);
}

TEST_F(CheckBoxValue, TheUserTicksAndUnticksButNeverGreys) {
    box->setValue(2);
    ASSERT_TRUE(showActive(form));
    clickAsTheUser();
    EXPECT_EQ(box->value(), 1);
    clickAsTheUser();
    EXPECT_EQ(box->value(), 0);
    clickAsTheUser();
    EXPECT_EQ(box->value(), 1);
}

} // namespace
