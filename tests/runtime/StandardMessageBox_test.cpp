#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tolvar::rt;

namespace {

TEST(StandardMessageBox, ShownBoxTakesDefaultIconAndTitleAsGivenAndAnswersItsButton) {
    const tolvar::testsupport::ModalAnswer user([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle().toStdString(), "") << "an empty title is not an absent one";
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Do you really want to Exit?"), 292, QString()),
              ResultNo);
    EXPECT_TRUE(user.answered());
}

} // namespace
