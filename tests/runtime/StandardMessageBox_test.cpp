#include "runtime/MessageBoxStyle.h"
#include "runtime/StandardMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace tolvar::rt;

namespace {

// Answers the next box from inside its modal loop, once it is up, as a user would.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::function<void(QMessageBox&)> answer) : answer_(std::move(answer)) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                poll_.stop();
                answer_(*box);
            }
        });
        poll_.start(10);
    }

private:
    std::function<void(QMessageBox&)> answer_;
    QTimer poll_;
};

BoxAnswerer clicking(QMessageBox::StandardButton button) {
    return BoxAnswerer([button](QMessageBox& box) { box.button(button)->click(); });
}

TEST(StandardMessageBoxHook, SeesPromptStyleAndTheCaptionTheBoxWouldCarry) {
    std::vector<std::tuple<QString, std::int32_t, QString>> seen;
    setStandardMessageBoxHook(
        [&](const QString& prompt, std::int32_t style, const QString& caption) {
            seen.emplace_back(prompt, style, caption);
            return static_cast<int>(ResultYes);
        });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Do you really want to Exit?"), 292), ResultYes);
    standardMessageBox(QStringLiteral("Path not found"), 48, QStringLiteral("cmdUpdate_Click"));
    standardMessageBox(QStringLiteral("Done"), 0, QString());
    setStandardMessageBoxHook(nullptr);

    using Seen = std::tuple<QString, std::int32_t, QString>;
    EXPECT_EQ(seen, (std::vector<Seen>{
                        {QStringLiteral("Do you really want to Exit?"), 292,
                         QStringLiteral("TolvarNorvikUpdater")},
                        {QStringLiteral("Path not found"), 48, QStringLiteral("cmdUpdate_Click")},
                        {QStringLiteral("Done"), 0, QString()},
                    }));
}

TEST(StandardMessageBoxShown, OkAnswersOneUnderTheApplicationTitle) {
    QString caption;
    int buttons = 0;
    BoxAnswerer user([&](QMessageBox& box) {
        caption = box.windowTitle();
        buttons = static_cast<int>(box.buttons().size());
        box.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Update Successfully."), 0), ResultOk);
    EXPECT_EQ(caption, QStringLiteral("TolvarNorvikUpdater"));
    EXPECT_EQ(buttons, 1);
}

TEST(StandardMessageBoxShown, YesAndNoAnswerSixAndSeven) {
    {
        const BoxAnswerer user = clicking(QMessageBox::Yes);
        EXPECT_EQ(standardMessageBox(QStringLiteral("Continue?"), 4), ResultYes);
    }
    {
        const BoxAnswerer user = clicking(QMessageBox::No);
        EXPECT_EQ(standardMessageBox(QStringLiteral("Continue?"), 4), ResultNo);
    }
}

TEST(StandardMessageBoxShown, DefaultButtonAndIconComeFromTheStyle) {
    bool noIsDefault = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    BoxAnswerer user([&](QMessageBox& box) {
        noIsDefault = box.defaultButton() == box.button(QMessageBox::No);
        icon = box.icon();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(standardMessageBox(QStringLiteral("Do you really want to Exit?"), 292), ResultNo)
        << "Enter presses the default button";
    EXPECT_TRUE(noIsDefault);
    EXPECT_EQ(icon, QMessageBox::Question);
}

} // namespace
