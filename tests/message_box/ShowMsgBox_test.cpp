#include "display/modReso.h"
#include "message_box/ShowMsgBox.h"
#include "message_box/frmMsgBox.h"
#include "runtime/Application.h"
#include "runtime/Screen.h"
#include "runtime/StandardMessageBox.h"
#include "runtime/core/Failure.h"
#include "support/ModalAnswer.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <tuple>

namespace tolvar {
namespace {

using modMain::ShowMsgBox;

QPushButton* button(frmMsgBox& box, int index) {
    return box.findChild<QPushButton*>(QStringLiteral("cmdAction_%1").arg(index));
}

// What the standard box was asked: prompt, style, caption and the windows still open then.
using Fallback = std::tuple<QString, std::int32_t, QString, qsizetype>;

class ShowMsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        modReso::ScaleX = modReso::ScaleY = 1;
        rt::setStandardMessageBoxHook([this](const QString& prompt, std::int32_t style,
                                             const QString& caption) {
            fallbacks.emplace_back(prompt, style, caption, QApplication::topLevelWidgets().size());
            return fallbackAnswer();
        });
    }

    void TearDown() override {
        answer_.reset();
        rt::setStandardMessageBoxHook({});
        modReso::ScaleX = modReso::ScaleY = 0;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            ADD_FAILURE() << "left open: " << widget->objectName().toStdString();
        }
    }

    // Answers the next box from inside its modal loop.
    void whenShown(std::function<void(frmMsgBox&)> act) {
        answer_.emplace([act = std::move(act)](QWidget* modal) {
            auto* box = qobject_cast<frmMsgBox*>(modal);
            ASSERT_NE(box, nullptr);
            act(*box);
        });
    }

    std::function<int()> fallbackAnswer = [] { return rt::ResultRetry; };
    std::vector<Fallback> fallbacks;

private:
    std::optional<testsupport::ModalAnswer> answer_;
};

TEST_F(ShowMsgBoxTest, StyleChoosesButtonsIconFocusAndCloseBox) {
    const struct {
        std::int32_t style;
        const char *captions, *icon;
        int focused, pressed, result;
        std::optional<QString> title = std::nullopt; // an empty title is not an absent one
    } cases[] = {{64, "&Ok", "imgI", 0, 0, 1},
                 {292, "&Yes|&No", "imgQ", 1, 0, 6, QString()},
                 {564, "&Yes|&No", "imgE", 0, 1, 7, QStringLiteral("Check")},
                 {531, "&Yes|&No|&Cancel", "imgC", 2, 2, 2},
                 {18, "&Abort|&Retry|&Ignore", "imgC", 0, 2, 5},
                 {261, "&Retry|&Cancel", "", 1, 0, 4},
                 // Where a naive bit-mask decoding goes wrong: the first test that holds decides.
                 {6, "&Yes|&No", "", 0, 0, 6},
                 {7, "&Retry|&Cancel", "", 0, 1, 2},
                 {112, "&Ok", "imgI", 0, 0, 1},
                 {3 + 768, "&Yes|&No|&Cancel", "", 2, 2, 2},
                 {4096 + 8 + 48, "&Ok", "imgE", 0, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const QStringList captions = QString::fromLatin1(c.captions).split(QLatin1Char('|'));
        whenShown([&](frmMsgBox& box) {
            for (int i = 0; i < 3; ++i) {
                QPushButton* shown = button(box, i);
                EXPECT_EQ(shown != nullptr && shown->isVisible(), i < captions.size());
                EXPECT_EQ(shown != nullptr ? shown->text() : QString(), captions.value(i));
            }
            float iconRoom = 0;
            for (const rt::Image* image : {box.imgE, box.imgI, box.imgC, box.imgQ}) {
                const bool shown = image->name() == QLatin1String(c.icon);
                EXPECT_EQ(image->widget()->isVisible(), shown);
                iconRoom += shown ? image->width() + 60 * modReso::ScaleX : 0;
                // The icons are embedded as SVG or as PNG rendered from it, by platform.
                EXPECT_FALSE(image->picture().pixmap(32).isNull());
            }
            EXPECT_EQ(box.focusWidget(), button(box, c.focused));
            EXPECT_EQ(box.lblMsg->caption(), QStringLiteral("A    question")) << "a tab is four";
            // A short message takes its text's width, in the design's fonts, centred in the
            // window beside the icon and its gap.
            const QLabel& label = *qobject_cast<QLabel*>(box.lblMsg->widget());
            EXPECT_EQ(label.width(), label.fontMetrics().size(0, label.text()).width());
            EXPECT_FLOAT_EQ(2 * box.lblMsg->left() + box.lblMsg->width(), box.width() + iconRoom);
            // The column is as wide as the text or the buttons, at least a fifth of the screen,
            // with a margin as wide as the icon's on each side.
            const rt::CommandButton& last = box.cmdAction[static_cast<int>(captions.size()) - 1];
            const float column =
                std::max({box.lblMsg->width(), last.left() + last.width() - box.cmdAction[0].left(),
                          0.2F * rt::screen::widthTwips()});
            EXPECT_NEAR(box.width(), 2 * box.imgC->left() + iconRoom + column, 1);
            for (int i = 1; i < captions.size(); ++i) {
                EXPECT_FLOAT_EQ(box.cmdAction[i].left(), box.cmdAction[i - 1].left() +
                                                             box.cmdAction[i - 1].width() +
                                                             60 * modReso::ScaleX);
            }
            EXPECT_DOUBLE_EQ(box.cmdAction[0].fontSize(), 9);
            EXPECT_FLOAT_EQ(box.cmdAction[0].width(), 855);
            EXPECT_EQ(box.closeBoxEnabled(), captions.size() == 1);
            EXPECT_EQ(box.windowTitle(), c.title.value_or(rt::app::title()));
            QTest::mouseClick(button(box, c.pressed), Qt::LeftButton);
        });
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("A\tquestion"), c.style, c.title), c.result);
    }
}

// The close box or Escape on a one-button box presses its button; a question is left only
// through its buttons.
TEST_F(ShowMsgBoxTest, OnlyAOneButtonBoxCanBeLeftOtherThanThroughItsButtons) {
    const std::pair<const char*, std::function<void(frmMsgBox&)>> ways[] = {
        {"Escape", [](frmMsgBox& box) { QTest::keyClick(box.focusWidget(), Qt::Key_Escape); }},
        {"close box", [](frmMsgBox& box) { box.close(); }}};
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        whenShown(way);
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Saved."), 0), 1);
        whenShown([&way](frmMsgBox& box) {
            way(box);
            EXPECT_TRUE(box.isVisible());
            EXPECT_EQ(modMain::MsgBoxResult, 0);
            QTest::mouseClick(button(box, 0), Qt::LeftButton);
        });
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Exit?"), 292), 6);
    }
}

// A message wider than half the screen wraps there; the label holds every line, and on a wide
// screen too the buttons keep the vertical ratio's gaps below it and above the window's end.
TEST_F(ShowMsgBoxTest, ALongMessageWrapsAtHalfTheScreen) {
    modReso::ScaleX = 1.5F;
    const QString message =
        QStringLiteral("Folder not exists") + QStringLiteral(" /far").repeated(90);
    whenShown([&](frmMsgBox& box) {
        const rt::Label& label = *box.lblMsg;
        const QRect lines = label.widget()->fontMetrics().boundingRect(
            QRect(0, 0, label.widget()->width(), 10000), Qt::TextWordWrap, message);
        EXPECT_TRUE(label.wordWrap());
        EXPECT_LE(label.width(), rt::screen::widthTwips() / 2);
        EXPECT_GE(label.widget()->height(), lines.height());
        EXPECT_GT(lines.height(), 2 * label.widget()->fontMetrics().height());
        const rt::CommandButton& first = box.cmdAction[0];
        EXPECT_NEAR(first.top(), label.top() + label.height() + 120 * modReso::ScaleY, 1);
        EXPECT_NEAR(box.scaleHeight(), first.top() + first.height() + 60 * modReso::ScaleY,
                    rt::screen::twipsPerPixelY());
        QTest::mouseClick(button(box, 0), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, message, 64), 1);
}

TEST_F(ShowMsgBoxTest, UnknownCaptionOrOverflowAsksTheStandardBoxOnceTheOwnBoxIsGone) {
    whenShown([](frmMsgBox& box) {
        box.cmdAction[1].setCaption(QStringLiteral("&Maybe"));
        QTest::mouseClick(button(box, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Sure?"), 36, QStringLiteral("Check")),
              rt::ResultRetry);
    modReso::ScaleX = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Hello"), 48), rt::ResultRetry);
    EXPECT_EQ(fallbacks,
              (std::vector<Fallback>{{QStringLiteral("Sure?"), 36, QStringLiteral("Check"), 0},
                                     {QStringLiteral("Hello"), 48, rt::app::title(), 0}}));

    fallbackAnswer = []() -> int { rt::raise(rt::desc::PermissionDenied); };
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Hello"), 48), 0) << "no answer is left over";
}

} // namespace
} // namespace tolvar
