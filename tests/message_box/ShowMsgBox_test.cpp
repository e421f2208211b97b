#include "display/modReso.h"
#include "message_box/ShowMsgBox.h"
#include "message_box/frmMsgBox.h"
#include "runtime/Application.h"
#include "runtime/Screen.h"
#include "runtime/StandardMessageBox.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"
#include "support/ModalAnswer.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace tolvar {
namespace {

using modMain::ShowMsgBox;

QPushButton* button(frmMsgBox& box, int index) {
    return box.findChild<QPushButton*>(QStringLiteral("cmdAction_%1").arg(index));
}

int openBoxes() {
    int count = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        count += qobject_cast<const frmMsgBox*>(widget) != nullptr ? 1 : 0;
    }
    return count;
}

struct Fallback {
    QString prompt;
    std::int32_t style;
    QString caption;
    int boxesOpen;
    friend bool operator==(const Fallback&, const Fallback&) = default;
};

class ShowMsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        modReso::ScaleX = 1;
        modReso::ScaleY = 1;
        rt::setStandardMessageBoxHook(
            [this](const QString& prompt, std::int32_t style, const QString& caption) {
                fallbacks.push_back({prompt, style, caption, openBoxes()});
                return fallbackAnswer();
            });
    }

    void TearDown() override {
        answer_.reset();
        rt::setStandardMessageBoxHook({});
        modReso::ScaleX = 0;
        modReso::ScaleY = 0;
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
        const char* captions;
        const char* icon;
        int focused;
        int pressed;
        std::int32_t result;
    } cases[] = {
        {0, "&Ok", "", 0, 0, 1},
        {292, "&Yes|&No", "imgQ", 1, 0, 6},
        {6, "&Yes|&No", "", 0, 1, 7},
        {7, "&Retry|&Cancel", "", 0, 0, 4},
        {112, "&Ok", "imgI", 0, 0, 1},
        {516, "&Yes|&No", "", 0, 1, 7},
        {49, "&Ok|&Cancel", "imgE", 0, 1, 2},
        {18, "&Abort|&Retry|&Ignore", "imgC", 0, 0, 3},
        {306, "&Abort|&Retry|&Ignore", "imgE", 1, 1, 4},
        {2, "&Abort|&Retry|&Ignore", "", 0, 2, 5},
        {547, "&Yes|&No|&Cancel", "imgQ", 2, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        const QStringList captions = QString::fromLatin1(c.captions).split(QLatin1Char('|'));
        whenShown([&](frmMsgBox& box) {
            for (int i = 0; i < 3; ++i) {
                QPushButton* shown = button(box, i);
                EXPECT_EQ(shown != nullptr && shown->isVisible(), i < captions.size());
                if (i < captions.size()) {
                    EXPECT_EQ(shown->text(), captions[i]);
                }
            }
            for (const rt::Image* image : {box.imgE, box.imgI, box.imgC, box.imgQ}) {
                SCOPED_TRACE(image->name().toStdString());
                EXPECT_EQ(image->widget()->isVisible(), image->name() == QLatin1String(c.icon));
                EXPECT_FALSE(image->picture().pixmap(32).isNull());
                EXPECT_FALSE(image->picture().pixmap(16).isNull());
            }
            EXPECT_EQ(box.focusWidget(), button(box, c.focused));
            EXPECT_EQ(box.closeBoxEnabled(), captions.size() == 1);
            QTest::mouseClick(button(box, c.pressed), Qt::LeftButton);
        });
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Question"), c.style), c.result);
    }
    EXPECT_TRUE(fallbacks.empty());
}

TEST_F(ShowMsgBoxTest, AbsentTitleShowsTheApplicationTitleAndAnEmptyOneStaysEmpty) {
    for (const auto& [title, caption] :
         {std::pair{std::optional<QString>(), rt::app::title()},
          std::pair{std::optional<QString>(QString()), QString()},
          std::pair{std::optional<QString>(QStringLiteral("Form_Load")),
                    QStringLiteral("Form_Load")}}) {
        whenShown([&caption](frmMsgBox& box) {
            EXPECT_EQ(box.windowTitle(), caption);
            QTest::mouseClick(button(box, 0), Qt::LeftButton);
        });
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Done"), 64, title), 1);
    }
}

TEST_F(ShowMsgBoxTest, BoxIsModalOverItsOwner) {
    QWidget owner;
    owner.setObjectName(QStringLiteral("owner"));
    owner.show();
    whenShown([&owner](frmMsgBox& box) {
        EXPECT_EQ(box.parentWidget(), &owner);
        EXPECT_TRUE(box.isModal());
        QTest::mouseClick(button(box, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(&owner, QStringLiteral("Exit?"), 292), 7);
    EXPECT_EQ(QApplication::topLevelWidgets(), QWidgetList{&owner});
}

TEST_F(ShowMsgBoxTest, SecondCallStartsAfreshAndReturnsItsOwnAnswer) {
    whenShown([](frmMsgBox& box) { QTest::mouseClick(button(box, 0), Qt::LeftButton); });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("First"), 4), 6);
    whenShown([](frmMsgBox& box) {
        EXPECT_EQ(modMain::MsgBoxResult, 0);
        QTest::mouseClick(button(box, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Second"), 4), 7);
}

TEST_F(ShowMsgBoxTest, EveryWayOutOfAOneButtonBoxPressesIt) {
    const std::pair<const char*, std::function<void(frmMsgBox&)>> ways[] = {
        {"Escape", [](frmMsgBox& box) { QTest::keyClick(box.focusWidget(), Qt::Key_Escape); }},
        {"Return", [](frmMsgBox& box) { QTest::keyClick(box.focusWidget(), Qt::Key_Return); }},
        {"Alt+O", [](frmMsgBox& box) { QTest::keyClick(&box, Qt::Key_O, Qt::AltModifier); }},
        {"close box", [](frmMsgBox& box) { EXPECT_TRUE(box.close()); }},
        {"session end", [](frmMsgBox& box) { EXPECT_TRUE(box.unload(rt::UnloadBySession)); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        whenShown(way);
        EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Saved."), 0), 1);
    }
    EXPECT_TRUE(fallbacks.empty());
}

TEST_F(ShowMsgBoxTest, QuestionIsLeftOnlyThroughItsButtons) {
    whenShown([](frmMsgBox& box) {
        QTest::keyClick(box.focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(box.close());
        for (const rt::UnloadReason reason :
             {rt::UnloadBySession, rt::UnloadByTaskManager, rt::UnloadByOwner}) {
            EXPECT_FALSE(box.unload(reason)) << reason;
        }
        EXPECT_TRUE(box.isVisible());
        EXPECT_EQ(modMain::MsgBoxResult, 0);
        QTest::mouseClick(button(box, 0), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Exit?"), 292), 6);
    EXPECT_TRUE(fallbacks.empty());
}

TEST_F(ShowMsgBoxTest, UnknownCaptionAsksTheStandardBoxOnceTheOwnBoxIsGone) {
    whenShown([](frmMsgBox& box) {
        box.cmdAction[1].setCaption(QStringLiteral("&Maybe"));
        QTest::mouseClick(button(box, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Sure?"), 36, QStringLiteral("Check")),
              rt::ResultRetry);
    EXPECT_EQ(fallbacks,
              (std::vector<Fallback>{{QStringLiteral("Sure?"), 36, QStringLiteral("Check"), 0}}));
}

TEST_F(ShowMsgBoxTest, OverflowingLayoutFallsBackAndAFailingFallbackGivesNoAnswer) {
    modReso::ScaleX = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Hello"), 48), rt::ResultRetry);
    EXPECT_EQ(fallbacks,
              (std::vector<Fallback>{{QStringLiteral("Hello"), 48, rt::app::title(), 0}}));

    fallbackAnswer = []() -> int { rt::raise(rt::desc::PermissionDenied); };
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("Hello"), 48), 0);
    EXPECT_EQ(modMain::MsgBoxResult, 0);
}

TEST_F(ShowMsgBoxTest, WindowTakesTheLayoutOfItsText) {
    // The caption and frame heights the call takes, before any window is framed.
    const rt::screen::FrameMetrics frame = rt::screen::frameMetrics();
    whenShown([&frame](frmMsgBox& box) {
        const rt::Label& label = *box.lblMsg;
        const float fifth = static_cast<float>(rt::roundHalfEven(0.2 * rt::screen::widthTwips()));
        const float oneLine =
            rt::screen::fromPixelsY(QFontMetrics(label.widget()->font()).height());
        EXPECT_EQ(label.caption(), QStringLiteral("one\r\ntwo    three\r\nfour"));
        EXPECT_GT(label.height(), 2.5F * oneLine);
        EXPECT_EQ(box.width(), 120 + 480 + 60 + fifth + 120);
        EXPECT_EQ(label.left(), 660 + (fifth - label.width()) / 2);
        const float rowTop = std::max(label.height(), 480.0F) + 120 + 120;
        EXPECT_EQ(box.cmdAction[0].top(), rowTop);
        EXPECT_EQ(box.height(), rt::screen::fromPixelsY(frame.captionHeight) +
                                    2 * rt::screen::fromPixelsY(frame.frameThickness) + rowTop +
                                    315 + 60);
        QTest::keyClick(box.focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(ShowMsgBox(nullptr, QStringLiteral("one\r\ntwo\tthree\r\nfour"), 64), 1);
}

} // namespace
} // namespace tolvar
