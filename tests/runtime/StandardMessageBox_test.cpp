#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace tolvar::rt;

namespace {

// Only the styles where a naive bit-mask decoding goes wrong. Buttons by initial: Ok, Cancel,
// Abort, Retry, Ignore, Yes, No.
TEST(MsgBoxStyle, DecodesByTheFirstBitTestThatHolds) {
    const struct {
        std::int32_t style;
        int iconKind, defaultButton;
        std::string buttons;
    } cases[] = {
        {6, 0, 0, "YN"},      {7, 0, 0, "RC"},     {112, 64, 0, "O"},
        {292, 32, 256, "YN"}, {516, 0, 512, "YN"}, {4096 + 8 + 48, 48, 0, "O"},
    };
    for (const auto& c : cases) {
        const MsgBoxStyle decoded = MsgBoxStyle::decode(c.style);
        std::string buttons;
        for (int i = 0; i < decoded.buttonCount(); ++i) {
            buttons += "-OCARIYN"[decoded.buttonResult(i)];
        }
        EXPECT_EQ(std::tuple(decoded.iconKind, decoded.defaultButton, buttons),
                  std::tuple(c.iconKind, c.defaultButton, c.buttons))
            << c.style;
    }
}

TEST(StandardMessageBox, HookSeesTheCaptionTheBoxWouldCarry) {
    QStringList captions;
    setStandardMessageBoxHook([&](const QString&, std::int32_t, const QString& caption) {
        captions.push_back(caption);
        return static_cast<int>(ResultYes);
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Exit?"), 292), ResultYes);
    standardMessageBox(QStringLiteral("Path not found"), 48, QStringLiteral("cmdUpdate_Click"));
    standardMessageBox(QStringLiteral("Done"), 0, QString());
    setStandardMessageBoxHook(nullptr);
    EXPECT_EQ(captions, (QStringList{QStringLiteral("TolvarNorvikUpdater"),
                                     QStringLiteral("cmdUpdate_Click"), QString()}));
}

TEST(StandardMessageBox, ShownBoxTakesDefaultAndIconFromTheStyleAndAnswersItsButton) {
    const tolvar::testsupport::ModalAnswer user([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Do you really want to Exit?"), 292), ResultNo);
    EXPECT_TRUE(user.answered());
}

} // namespace
