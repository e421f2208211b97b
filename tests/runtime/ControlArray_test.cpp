#include "RuntimeTestSupport.h"
#include "runtime/ControlArray.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using namespace tolvar::rt;
using tolvar::rt::test::BlankForm;
using tolvar::rt::test::failureOf;
using tolvar::rt::test::showActive;

namespace {

class ControlArrays : public ::testing::Test {
protected:
    BlankForm form;
    ControlArray<CommandButton> cmdAction{&form, QStringLiteral("cmdAction")};
    std::vector<std::int16_t> clicked;
};

TEST_F(ControlArrays, ALoadedElementTakesElementZerosDesignButStartsInvisible) {
    CommandButton* first = cmdAction.design(0);
    first->move(240, 1800, 1215, 375);
    first->setCaption(QStringLiteral("&Ok"));
    first->setFontName(QStringLiteral("Tahoma"));
    first->setFontSize(11);
    first->setFontBold(true);
    first->setBackColor(QColor(0x20, 0x40, 0x80));
    first->setForeColor(QColor(0xff, 0xff, 0xe0));

    CommandButton* loaded = cmdAction.load(1);
    EXPECT_EQ(loaded, &cmdAction[1]);
    EXPECT_EQ(loaded->index(), 1);
    EXPECT_EQ(loaded->objectName(), QStringLiteral("cmdAction_1"));
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("cmdAction_1")), loaded->widget());
    EXPECT_EQ(loaded->caption(), QStringLiteral("&Ok"));
    EXPECT_EQ(QRectF(loaded->left(), loaded->top(), loaded->width(), loaded->height()),
              QRectF(240, 1800, 1215, 375));
    EXPECT_EQ(loaded->fontName(), QStringLiteral("Tahoma"));
    EXPECT_DOUBLE_EQ(loaded->fontSize(), first->fontSize());
    EXPECT_TRUE(loaded->fontBold());
    EXPECT_EQ(loaded->backColor(), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(loaded->foreColor(), QColor(0xff, 0xff, 0xe0));

    EXPECT_FALSE(loaded->isVisible());
    EXPECT_TRUE(first->isVisible());
    form.showForm();
    EXPECT_FALSE(loaded->widget()->isVisible());
    EXPECT_TRUE(first->widget()->isVisible());

    cmdAction.load(2);
    EXPECT_EQ(cmdAction.lbound(), 0);
    EXPECT_EQ(cmdAction.ubound(), 2);
}

TEST_F(ControlArrays, LoadingFiresNoClick) {
    ControlArray<CheckBox> chkPrd(&form, QStringLiteral("chkPrd"));
    chkPrd.onClick([&](std::int16_t index) { clicked.push_back(index); });
    chkPrd.design(0)->setValue(1);
    clicked.clear();
    EXPECT_EQ(chkPrd.load(1)->value(), 1);
    EXPECT_TRUE(clicked.empty());
}

TEST_F(ControlArrays, MissingAndExistingElementsFail) {
    EXPECT_EQ(failureOf([&] { cmdAction.load(1); }), "Control array element doesn't exist")
        << "nothing to copy without element 0";
    cmdAction.design(0);
    cmdAction.load(1);
    EXPECT_EQ(failureOf([&] { cmdAction.load(1); }), "Object already loaded");
    EXPECT_EQ(failureOf([&] { cmdAction.design(0); }), "Object already loaded");
    EXPECT_EQ(failureOf([&] { static_cast<void>(cmdAction[2]); }),
              "Control array element doesn't exist");
    EXPECT_EQ(failureOf([&] { static_cast<void>(cmdAction[-1]); }),
              "Control array element doesn't exist");
    EXPECT_EQ(form.count(), 2);
}

TEST_F(ControlArrays, ClickReachesTheHandlerWithTheElementsIndex) {
    cmdAction.design(0)->move(120, 120, 1200, 375);
    CommandButton* second = cmdAction.load(1);
    second->setLeft(1500);
    second->setVisible(true);
    cmdAction.onClick([&](std::int16_t index) { clicked.push_back(index); });

    ASSERT_TRUE(showActive(form));
    QTest::mouseClick(cmdAction[1].widget(), Qt::LeftButton);
    QTest::mouseClick(cmdAction[0].widget(), Qt::LeftButton);
    EXPECT_EQ(clicked, (std::vector<std::int16_t>{1, 0}));
}

} // namespace
