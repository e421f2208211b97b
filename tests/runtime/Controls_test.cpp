#include "RuntimeTestSupport.h"
#include "runtime/ControlArray.h"
#include "runtime/Controls.h"
#include "runtime/Properties.h"
#include "runtime/Screen.h"

#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace tolvar::rt;
using tolvar::rt::test::BlankForm;
using tolvar::rt::test::failureOf;
using tolvar::rt::test::showActive;

namespace {

class Controls : public ::testing::Test {
protected:
    BlankForm form;
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
};

TEST_F(Controls, TwipsAreKeptAsWrittenShownInWholePixelsAndARefusedMoveChangesNothing) {
    auto* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    button->move(12.4F * tx, 20 * ty, 80.6F * tx, 25 * ty);
    EXPECT_FLOAT_EQ(button->left(), 12.4F * tx);
    EXPECT_FLOAT_EQ(button->width(), 80.6F * tx);
    EXPECT_EQ(button->widget()->geometry(), QRect(12, 20, 81, 25));

    button->move(10 * tx, 30 * ty);
    EXPECT_EQ(button->widget()->geometry(), QRect(10, 30, 81, 25)) << "the size is kept";
    EXPECT_EQ(failureOf([&] { button->move(5, 5, 90, -1); }), desc::InvalidPropertyValue);
    EXPECT_FLOAT_EQ(button->left(), 10 * tx);
    EXPECT_EQ(button->widget()->geometry(), QRect(10, 30, 81, 25));
}

TEST_F(Controls, SelfSizingLabelFitsItsLongestLineOrWrapsAtItsWidth) {
    auto* label = new Label(&form, QStringLiteral("lblMsg"));
    label->setAutoSize(true);
    label->setCaption(QStringLiteral("Updating"));
    const float shortWidth = label->width();
    const float lineHeight = label->height();
    const QString longLine = QStringLiteral("Updating the Norvik utility of Lumeo");
    label->setCaption(QStringLiteral("Updating\r\n") + longLine);
    EXPECT_GT(label->width(), shortWidth);
    EXPECT_GT(label->height(), 1.5F * lineHeight);

    label->setWordWrap(true);
    label->setWidth(100 * tx);
    label->setCaption(longLine + QStringLiteral(", one product after the other."));
    EXPECT_FLOAT_EQ(label->width(), 100 * tx);
    const float narrowHeight = label->height();
    EXPECT_GT(narrowHeight, 2.5F * lineHeight);
    label->setWidth(2000 * tx);
    EXPECT_LT(label->height(), narrowHeight) << "a wider label refits to fewer lines";
}

TEST_F(Controls, EveryCheckBoxChangeClicksButTheUserNeverGreys) {
    auto* box = new CheckBox(&form, QStringLiteral("chkPrd"));
    box->move(120, 120, 3000, 375);
    int clicks = 0;
    QObject::connect(box, &Control::Click, &form, [&] { ++clicks; });
    box->setValue(2);
    box->setValue(2);
    EXPECT_EQ(clicks, 1) << "no change, no Click";

    ASSERT_TRUE(showActive(form));
    QStyleOptionButton option;
    option.initFrom(box->widget());
    const QPoint indicator =
        box->widget()
            ->style()
            ->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box->widget())
            .center();
    for (const int expected : {1, 0, 1}) {
        QTest::mouseClick(box->widget(), Qt::LeftButton, {}, indicator);
        EXPECT_EQ(box->value(), expected);
    }
    EXPECT_EQ(clicks, 4);
}

TEST_F(Controls, ALoadedArrayElementCopiesElementZeroButStartsInvisibleAndWithoutAClick) {
    ControlArray<CheckBox> chkPrd(&form, QStringLiteral("chkPrd"));
    std::vector<std::int16_t> clicked;
    chkPrd.onClick([&](std::int16_t index) { clicked.push_back(index); });
    EXPECT_EQ(failureOf([&] { chkPrd.load(1); }), desc::ControlArrayElementMissing);
    CheckBox* first = chkPrd.design(0);
    first->move(240, 1800, 1215, 375);
    first->setCaption(QStringLiteral("&Lumeo"));
    first->setFontBold(true);
    first->setValue(1);
    clicked.clear();

    CheckBox* loaded = chkPrd.load(1);
    EXPECT_EQ(failureOf([&] { chkPrd.load(1); }), desc::ControlArrayElementExists);
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("chkPrd_1")), loaded->widget());
    EXPECT_EQ(loaded->caption(), QStringLiteral("&Lumeo"));
    EXPECT_EQ(QRectF(loaded->left(), loaded->top(), loaded->width(), loaded->height()),
              QRectF(240, 1800, 1215, 375));
    EXPECT_TRUE(loaded->fontBold());
    EXPECT_EQ(loaded->value(), 1);
    EXPECT_TRUE(clicked.empty()) << "copying the value is no click";

    form.showForm();
    EXPECT_FALSE(loaded->isVisible());
    EXPECT_FALSE(loaded->widget()->isVisible());
    EXPECT_TRUE(first->widget()->isVisible());

    loaded->setValue(0);
    chkPrd[0].setValue(0);
    EXPECT_EQ(clicked, (std::vector<std::int16_t>{1, 0})) << "each click carries its index";
}

TEST_F(Controls, PropertiesByNameRefuseWhatTheyCannotTakeAndRoundHalfToEven) {
    auto* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    auto* box = new CheckBox(&form, QStringLiteral("chkPrd"));
    auto* image = new Image(&form, QStringLiteral("imgQ"));
    button->move(100, 200, 1200, 375);
    box->setValue(1);
    const double fontSize = button->fontSize();
    EXPECT_EQ(failureOf([&] { getProperty(button, "Colour"); }), desc::NoSuchProperty);
    EXPECT_EQ(failureOf([&] { setProperty(image, "FontSize", 10); }), desc::NoSuchProperty);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Name", QString()); }), desc::NoSuchProperty);

    const char* invalid = desc::InvalidPropertyValue;
    EXPECT_EQ(failureOf([&] { setProperty(button, "Width", -1); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Height", QStringLiteral("tall")); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(button, "FontSize", 0); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(box, "Value", 3); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(&form, "Height", -15); }), invalid);
    EXPECT_EQ(QRectF(button->left(), button->top(), button->width(), button->height()),
              QRectF(100, 200, 1200, 375));
    EXPECT_DOUBLE_EQ(button->fontSize(), fontSize);
    EXPECT_EQ(box->value(), 1);
    EXPECT_FLOAT_EQ(getProperty(&form, "Height").toFloat(), 5400.0F);

    for (const auto& [written, rounded] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}}) {
        setProperty(box, "Value", written);
        EXPECT_EQ(box->value(), rounded) << "a fraction into a whole number rounds half to even";
    }
}

} // namespace
