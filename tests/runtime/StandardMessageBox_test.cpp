#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace tolvar::rt;

namespace {

// Only the styles where a naive bit-mask decoding goes wrong: the icon, then the buttons by
// initial (Ok, Cancel, Abort, Retry, Ignore, Yes, No).
TEST(MsgBoxStyle, DecodesByTheFirstBitTestThatHolds) {
    const std::pair<std::int32_t, std::string> cases[] = {
        {6, "0 YN"}, {7, "0 RC"}, {112, "64 O"}, {4096 + 8 + 48, "48 O"}};
    for (const auto& [style, expected] : cases) {
        const MsgBoxStyle decoded = MsgBoxStyle::decode(style);
        std::string shown = std::to_string(decoded.iconKind) + ' ';
        for (int i = 0; i < decoded.buttonCount(); ++i) {
            shown += "-OCARIYN"[decoded.buttonResult(i)];
        }
        EXPECT_EQ(shown, expected) << style;
    }
}

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
