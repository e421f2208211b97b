#include "RuntimeTestSupport.h"
#include "runtime/ControlArray.h"
#include "runtime/Controls.h"
#include "runtime/Properties.h"
#include "runtime/Screen.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

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

TEST_F(Controls, TwipsAreKeptAsWrittenShownInWholePixelsAndWhatIsRefusedChangesNothing) {
    auto* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    button->move(12.4F * tx, 20 * ty, 80.6F * tx, 25 * ty);
    EXPECT_EQ(twipsOf(*button), (Twips{12.4F * tx, 20 * ty, 80.6F * tx, 25 * ty}));
    EXPECT_EQ(button->widget()->geometry(), QRect(12, 20, 81, 25));

    button->move(10 * tx, 30 * ty);
    EXPECT_EQ(button->widget()->geometry(), QRect(10, 30, 81, 25)) << "the size is kept";

    const double fontSize = button->fontSize();
    EXPECT_EQ(failureOf([&] { button->move(5, 5, 90, -1); }), desc::InvalidPropertyValue);
    EXPECT_EQ(failureOf([&] { button->move(5, 5, -1); }), desc::InvalidPropertyValue);
    EXPECT_EQ(failureOf([&] { button->move(2e9F * tx, 5, 2e9F * tx); }), desc::Overflow)
        << "each fits in 32 bits, the right edge does not";
    EXPECT_EQ(failureOf([&] { button->move(5, 2e9F * ty, 5, 2e9F * ty); }), desc::Overflow);
    EXPECT_EQ(failureOf([&] { getProperty(button, "Colour"); }),
              "Object doesn't support this property or method");
    EXPECT_EQ(failureOf([&] { setProperty(button, "Name", QString()); }), desc::NoSuchProperty);
    EXPECT_EQ(failureOf([&] { setProperty(button, "Height", QStringLiteral("tall")); }),
              desc::InvalidPropertyValue);
    EXPECT_EQ(failureOf([&] { setProperty(button, "FontSize", 0); }), desc::InvalidPropertyValue);
    EXPECT_EQ(twipsOf(*button), (Twips{10 * tx, 30 * ty, 80.6F * tx, 25 * ty}));
    EXPECT_DOUBLE_EQ(button->fontSize(), fontSize);

    int clicks = 0;
    QObject::connect(button, &Control::Click, [&clicks] { ++clicks; });
    QTest::keyClick(button->widget(), Qt::Key_Return);
    EXPECT_EQ(clicks, 1) << "Enter presses the focused button";
}

TEST_F(Controls, SelfSizingLabelWithWordWrapKeepsItsWidthAndRefitsItsLines) {
    auto* label = new Label(&form, QStringLiteral("lblMsg"));
    label->setAutoSize(true);
    label->setCaption(QStringLiteral("Updating"));
    const float lineHeight = label->height();
    label->setCaption(QStringLiteral("Updating\r\nLumeo"));
    EXPECT_EQ(qobject_cast<QLabel*>(label->widget())->text().toStdString(), "Updating\nLumeo")
        << "one line break per CR LF";
    label->setWordWrap(true);
    label->setWidth(100 * tx);
    label->setCaption(QStringLiteral("Updating the Norvik utility of Lumeo, then of Vantro."));
    EXPECT_FLOAT_EQ(label->width(), 100 * tx);
    const float narrowHeight = label->height();
    EXPECT_GT(narrowHeight, 2.5F * lineHeight);
    label->setWidth(2000 * tx);
    EXPECT_LT(label->height(), narrowHeight) << "a wider label refits to fewer lines";
    for (const auto& [alignment, shown] :
         {std::pair(0, Qt::AlignLeft), {1, Qt::AlignRight}, {2, Qt::AlignHCenter}}) {
        label->setAlignment(alignment);
        EXPECT_EQ(qobject_cast<QLabel*>(label->widget())->alignment() & Qt::AlignHorizontal_Mask,
                  Qt::Alignment(shown));
    }
    EXPECT_EQ(failureOf([&] { label->setAlignment(3); }), desc::InvalidPropertyValue);
}

TEST_F(Controls, ALoadedElementCopiesElementZeroAndStartsInvisible) {
    ControlArray<CheckBox> chkPrd(&form, QStringLiteral("chkPrd"));
    EXPECT_EQ(failureOf([&] { chkPrd.load(1); }), desc::ControlArrayElementMissing);
    CheckBox* first = chkPrd.design(0);
    first->move(240, 1800, 1215, 375);
    first->setCaption(QStringLiteral("&Lumeo"));
    first->setFontBold(true);
    std::vector<int> clicked;
    chkPrd.onClick([&clicked](std::int16_t index) { clicked.push_back(index); });
    setProperty(first, "Value", 1.5); // rounded half to even, to 2
    EXPECT_EQ(clicked, std::vector{0}) << "a change by code clicks too";

    CheckBox* loaded = chkPrd.load(3); // any free index, a copy of element 0 all the same
    EXPECT_EQ(failureOf([&] { chkPrd.load(3); }), desc::ControlArrayElementExists);
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("chkPrd_3")), loaded->widget());
    EXPECT_EQ(std::tuple(loaded->caption(), twipsOf(*loaded), loaded->fontBold(), loaded->value()),
              std::tuple(QStringLiteral("&Lumeo"), Twips{240, 1800, 1215, 375}, true, 2));
    EXPECT_FALSE(loaded->isVisible());
    EXPECT_EQ(loaded->tabIndex(), 1) << "it comes last in the tab order";
    EXPECT_EQ(failureOf([&] { loaded->setValue(3); }), desc::InvalidPropertyValue);
    qobject_cast<QAbstractButton*>(loaded->widget())->click();
    EXPECT_EQ(loaded->value(), 1) << "a click ticks a greyed box";
    EXPECT_EQ(clicked, (std::vector{0, 3})) << "loading clicks nothing";
}

} // namespace
