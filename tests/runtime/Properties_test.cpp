#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Properties.h"

#include <gtest/gtest.h>
#include <vector>

using namespace tolvar::rt;
using tolvar::rt::test::BlankForm;
using tolvar::rt::test::failureOf;

namespace {

class PropertiesByName : public ::testing::Test {
protected:
    BlankForm form;
    Label* label = new Label(&form, QStringLiteral("lblInfo"));
    CheckBox* box = new CheckBox(&form, QStringLiteral("chkPrd"));
    TextBox* text = new TextBox(&form, QStringLiteral("txtDataDir"));
    CommandButton* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    Image* image = new Image(&form, QStringLiteral("imgQ"));
};

TEST_F(PropertiesByName, GeometryIsReadAndWrittenOnEveryKind) {
    for (Control* control : std::vector<Control*>{label, box, text, button, image}) {
        SCOPED_TRACE(control->className().toStdString());
        setProperty(control, "Left", 120.5);
        setProperty(control, "Top", 240);
        setProperty(control, "Width", 1815.25);
        setProperty(control, "Height", 375);
        EXPECT_FLOAT_EQ(getProperty(control, "Left").toFloat(), 120.5F);
        EXPECT_FLOAT_EQ(getProperty(control, "Top").toFloat(), 240.0F);
        EXPECT_FLOAT_EQ(getProperty(control, "Width").toFloat(), 1815.25F);
        EXPECT_FLOAT_EQ(getProperty(control, "Height").toFloat(), 375.0F);
        EXPECT_FLOAT_EQ(control->width(), 1815.25F);
    }
}

TEST_F(PropertiesByName, TextFontAndValueOnTheKindsThatHaveThem) {
    for (Control* control : std::vector<Control*>{label, box, button}) {
        setProperty(control, "Caption", QStringLiteral("&Update >>"));
        EXPECT_EQ(getProperty(control, "Caption").toString(), QStringLiteral("&Update >>"));
    }
    setProperty(text, "Text", QStringLiteral("C:\\Lumeo"));
    EXPECT_EQ(text->text(), QStringLiteral("C:\\Lumeo"));
    EXPECT_EQ(getProperty(text, "Text").toString(), QStringLiteral("C:\\Lumeo"));

    for (Control* control : std::vector<Control*>{label, box, text, button}) {
        SCOPED_TRACE(control->className().toStdString());
        setProperty(control, "FontSize", 12);
        EXPECT_DOUBLE_EQ(getProperty(control, "FontSize").toDouble(), 12.0);
    }

    setProperty(box, "Value", 1);
    EXPECT_EQ(box->value(), 1);
    EXPECT_EQ(getProperty(box, "Value").toInt(), 1);
}

TEST_F(PropertiesByName, ANameTheControlLacksIsNotSupported) {
    const std::string notSupported = "Object doesn't support this property or method";
    EXPECT_EQ(failureOf([&] { getProperty(button, "Colour"); }), notSupported);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Colour", 3); }), notSupported);
    EXPECT_EQ(failureOf([&] { getProperty(image, "FontSize"); }), notSupported);
    EXPECT_EQ(failureOf([&] { setProperty(image, "FontSize", 10); }), notSupported);
    EXPECT_EQ(failureOf([&] { setProperty(text, "Caption", QStringLiteral("x")); }), notSupported);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Name", QStringLiteral("cmdOther")); }),
              notSupported)
        << "a read-only property cannot be written";
}

TEST_F(PropertiesByName, ARefusedValueLeavesTheControlUnchanged) {
    const std::string invalid = "Invalid property value";
    button->move(100, 200, 1200, 375);
    box->setValue(1);
    label->setFontSize(9);

    EXPECT_EQ(failureOf([&] { setProperty(button, "Width", -1); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Height", -0.5); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Width", QStringLiteral("wide")); }), invalid);
    EXPECT_FLOAT_EQ(button->width(), 1200.0F);
    EXPECT_FLOAT_EQ(button->height(), 375.0F);

    EXPECT_EQ(failureOf([&] { setProperty(box, "Value", 3); }), invalid);
    EXPECT_EQ(failureOf([&] { setProperty(box, "Value", -1); }), invalid);
    EXPECT_EQ(box->value(), 1);

    EXPECT_EQ(failureOf([&] { setProperty(label, "FontSize", 0); }), invalid);
    EXPECT_DOUBLE_EQ(label->fontSize(), 9.0);
}

TEST_F(PropertiesByName, AFractionIntoAWholeNumberRoundsHalfToEven) {
    new CommandButton(&form, QStringLiteral("cmdExit"));
    setProperty(button, "TabIndex", 1.5);
    EXPECT_EQ(button->tabIndex(), 2);
    setProperty(button, "TabIndex", 0.5);
    EXPECT_EQ(button->tabIndex(), 0);
    setProperty(button, "TabIndex", 2.5);
    EXPECT_EQ(button->tabIndex(), 2);
    setProperty(button, "TabIndex", 3.5);
    EXPECT_EQ(button->tabIndex(), 4);

    setProperty(box, "Value", 1.5);
    EXPECT_EQ(box->value(), 2);
    setProperty(box, "Value", 0.5);
    EXPECT_EQ(box->value(), 0);
}

TEST_F(PropertiesByName, TheFormItselfIsReachedByName) {
    setProperty(&form, "Caption", QStringLiteral("Norvik Utility Updater"));
    setProperty(&form, "Width", 6000);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Norvik Utility Updater"));
    EXPECT_FLOAT_EQ(getProperty(&form, "Width").toFloat(), 6000.0F);
    EXPECT_EQ(getProperty(&form, "Count").toInt(), 5);
    EXPECT_EQ(failureOf([&] { setProperty(&form, "Height", -15); }), "Invalid property value");
}

} // namespace
