#include "RuntimeTestSupport.h"
#include "runtime/ControlArray.h"
#include "runtime/Controls.h"
#include "runtime/Properties.h"
#include "runtime/Screen.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

using namespace tolvar::rt;
using namespace tolvar::rt::test;

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
    EXPECT_EQ(twipsOf(*button), (Twips{12.4F * tx, 20 * ty, 80.6F * tx, 25 * ty}));
    EXPECT_EQ(button->widget()->geometry(), QRect(12, 20, 81, 25));

    button->move(10 * tx, 30 * ty);
    EXPECT_EQ(button->widget()->geometry(), QRect(10, 30, 81, 25)) << "the size is kept";
    EXPECT_EQ(failureOf([&] { button->move(5, 5, 90, -1); }), desc::InvalidPropertyValue);
    EXPECT_EQ(twipsOf(*button), (Twips{10 * tx, 30 * ty, 80.6F * tx, 25 * ty}));
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

TEST_F(Controls, ALoadedElementCopiesElementZeroStartsInvisibleAndEveryChangeClicksWithItsIndex) {
    ControlArray<CheckBox> chkPrd(&form, QStringLiteral("chkPrd"));
    std::vector<std::int16_t> clicked;
    chkPrd.onClick([&](std::int16_t index) { clicked.push_back(index); });
    EXPECT_EQ(failureOf([&] { chkPrd.load(1); }), desc::ControlArrayElementMissing);
    CheckBox* first = chkPrd.design(0);
    first->move(240, 1800, 1215, 375);
    first->setCaption(QStringLiteral("&Lumeo"));
    first->setFontBold(true);
    first->setValue(2);
    first->setValue(2);
    EXPECT_EQ(clicked, (std::vector<std::int16_t>{0})) << "no change, no Click";

    CheckBox* loaded = chkPrd.load(1);
    EXPECT_EQ(failureOf([&] { chkPrd.load(1); }), desc::ControlArrayElementExists);
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("chkPrd_1")), loaded->widget());
    EXPECT_EQ(loaded->caption(), QStringLiteral("&Lumeo"));
    EXPECT_EQ(twipsOf(*loaded), (Twips{240, 1800, 1215, 375}));
    EXPECT_TRUE(loaded->fontBold());
    EXPECT_EQ(loaded->value(), 2);
    EXPECT_EQ(clicked.size(), 1U) << "copying the value is no click";

    ASSERT_TRUE(showActive(form));
    EXPECT_FALSE(loaded->widget()->isVisible());
    for (const int expected : {1, 0, 1}) { // the user never greys a box
        QTest::keyClick(first->widget(), Qt::Key_Space);
        EXPECT_EQ(first->value(), expected);
    }
    chkPrd[1].setValue(0);
    EXPECT_EQ(clicked, (std::vector<std::int16_t>{0, 0, 0, 0, 1}));
}

TEST_F(Controls, PropertiesByNameRefuseWhatTheyCannotTakeAndRoundHalfToEven) {
    auto* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    auto* box = new CheckBox(&form, QStringLiteral("chkPrd"));
    button->move(100, 200, 1200, 375);
    box->setValue(1);
    const double fontSize = button->fontSize();
    EXPECT_EQ(failureOf([&] { getProperty(button, "Colour"); }), desc::NoSuchProperty);
    const char* const invalid = desc::InvalidPropertyValue;
    const std::tuple<QObject*, const char*, QVariant, const char*> refused[] = {
        {button, "Name", QString(), desc::NoSuchProperty},
        {button, "Width", -1, invalid},
        {button, "Height", QStringLiteral("tall"), invalid},
        {button, "FontSize", 0, invalid},
        {box, "Value", 3, invalid},
        {&form, "Height", -15, invalid},
    };
    for (const auto& [object, name, value, failure] : refused) {
        EXPECT_EQ(failureOf([&] { setProperty(object, name, value); }), failure) << name;
    }
    EXPECT_EQ(twipsOf(*button), (Twips{100, 200, 1200, 375}));
    EXPECT_DOUBLE_EQ(button->fontSize(), fontSize);
    EXPECT_EQ(box->value(), 1);
    EXPECT_FLOAT_EQ(getProperty(&form, "Height").toFloat(), 5400.0F);

    for (const auto& [written, rounded] : {std::pair{0.5, 0}, {1.5, 2}, {2.5, 2}}) {
        setProperty(box, "Value", written);
        EXPECT_EQ(box->value(), rounded) << "a fraction into a whole number rounds half to even";
    }
}

} // namespace
