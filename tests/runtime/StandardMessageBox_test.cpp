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

// Each button set, the default button, the icon and the answer the pressed default gives.
TEST(StandardMessageBox, ShownBoxTakesButtonsDefaultIconAndTitleAsGivenAndAnswersItsButton) {
    using Box = QMessageBox;
    const std::tuple<int, Box::Icon, Box::StandardButtons, Box::StandardButton, int> cases[] = {
        {0, Box::NoIcon, Box::Ok, Box::Ok, ResultOk},
        {273, Box::Critical, Box::Ok | Box::Cancel, Box::Cancel, ResultCancel},
        {50, Box::Warning, Box::Abort | Box::Retry | Box::Ignore, Box::Abort, ResultAbort},
        {578, Box::Information, Box::Abort | Box::Retry | Box::Ignore, Box::Ignore, ResultIgnore},
        {35, Box::Question, Box::Yes | Box::No | Box::Cancel, Box::Yes, ResultYes},
        {292, Box::Question, Box::Yes | Box::No, Box::No, ResultNo},
        {5, Box::NoIcon, Box::Retry | Box::Cancel, Box::Retry, ResultRetry}};
    for (const auto& [style, icon, buttons, defaultButton, result] : cases) {
        const tolvar::testsupport::ModalAnswer user([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->standardButtons(), buttons);
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
