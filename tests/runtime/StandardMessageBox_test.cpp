#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace tolvar::rt;

namespace {

// Only the styles where a naive bit-mask decoding goes wrong.
TEST(MsgBoxStyle, DecodesByTheFirstBitTestThatHolds) {
    const struct {
        std::int32_t style;
        int iconKind, buttonSet, defaultButton;
        std::vector<MsgBoxResultCode> buttons;
    } cases[] = {
        {6, 0, 4, 0, {ResultYes, ResultNo}},
        {7, 0, 5, 0, {ResultRetry, ResultCancel}},
        {112, 64, 0, 0, {ResultOk}},
        {292, 32, 4, 256, {ResultYes, ResultNo}},
        {516, 0, 4, 512, {ResultYes, ResultNo}},
        {4096 + 8 + 48, 48, 0, 0, {ResultOk}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const MsgBoxStyle decoded = MsgBoxStyle::decode(c.style);
        std::vector<MsgBoxResultCode> buttons;
        for (int i = 0; i < decoded.buttonCount(); ++i) {
            buttons.push_back(decoded.buttonResult(i));
        }
        EXPECT_EQ(decoded.iconKind, c.iconKind);
        EXPECT_EQ(decoded.buttonSet, c.buttonSet);
        EXPECT_EQ(decoded.defaultButton, c.defaultButton);
        EXPECT_EQ(buttons, c.buttons);
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
    bool noIsDefault = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    const tolvar::testsupport::ModalAnswer user([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        icon = box->icon();
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Do you really want to Exit?"), 292), ResultNo);
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(icon, QMessageBox::Question);
}

} // namespace
