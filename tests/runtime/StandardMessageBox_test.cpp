#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using namespace tolvar::rt;

namespace {

TEST(StandardMessageBox, ShownBoxTakesDefaultIconAndTitleAsGivenAndAnswersItsButton) {
    const std::tuple<int, QMessageBox::Icon, QMessageBox::StandardButton, int> cases[] = {
        {292, QMessageBox::Question, QMessageBox::No, ResultNo},
        {16, QMessageBox::Critical, QMessageBox::Ok, ResultOk},
        {48, QMessageBox::Warning, QMessageBox::Ok, ResultOk},
        {64, QMessageBox::Information, QMessageBox::Ok, ResultOk}};
    for (const auto& [style, icon, defaultButton, result] : cases) {
        const tolvar::testsupport::ModalAnswer user([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->defaultButton(), box->button(defaultButton));
            EXPECT_EQ(box->icon(), icon);
            EXPECT_EQ(box->windowTitle().toStdString(), "")
                << "an empty title is not an absent one";
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(standardMessageBox(QStringLiteral("Sure?"), style, QString()), result) << style;
        EXPECT_TRUE(user.answered());
    }
}

} // namespace
