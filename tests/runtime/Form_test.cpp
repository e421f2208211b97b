#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Properties.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace tolvar::rt;
using tolvar::rt::test::showActive;

namespace {

// Records what the run-time hands to a form's event procedures.
class ProbeForm : public Form {
public:
    ProbeForm() : Form(QStringLiteral("frmProbe")) { move(0, 0, 6000, 4000); }

    int loads = 0;
    std::vector<UnloadReason> reasons;
    bool refuseUnload = false;
    std::vector<int> keys;
    std::function<void(int&)> onKey;

protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(bool& cancel, UnloadReason reason) override {
        reasons.push_back(reason);
        cancel = refuseUnload;
    }
    void Form_KeyPress(int& keyAscii) override {
        keys.push_back(keyAscii);
        if (onKey) {
            onKey(keyAscii);
        }
    }
};

TEST(FormLifetime, LoadRunsFormLoadOncePerLoad) {
    ProbeForm form;
    form.load();
    form.load();
    form.showForm();
    EXPECT_EQ(form.loads, 1);
    EXPECT_TRUE(form.isLoaded());
    ASSERT_TRUE(form.unload());
    EXPECT_FALSE(form.isLoaded());
    form.showForm();
    EXPECT_EQ(form.loads, 2);
}

TEST(FormLifetime, QueryUnloadTellsWhoAsksAndMayRefuse) {
    ProbeForm form;
    form.showForm();
    form.refuseUnload = true;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.unload(UnloadByCode));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.reasons, (std::vector<UnloadReason>{UnloadByUser, UnloadByCode}));
    EXPECT_EQ(UnloadByUser, 0);
    EXPECT_EQ(UnloadByCode, 1);

    form.refuseUnload = false;
    EXPECT_TRUE(form.unload(UnloadByCode));
    EXPECT_FALSE(form.isVisible());
    form.showForm();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(form.reasons.back(), UnloadByUser);
}

TEST(FormGeometry, OuterSizeIncludesTheFrameAndScaleSizeIsTheClientArea) {
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
    const screen::FrameMetrics frame = screen::frameMetrics();
    ProbeForm form;
    form.setClientSize(400 * tx, 200 * ty);
    EXPECT_EQ(form.size(), QSize(400, 200));
    EXPECT_FLOAT_EQ(form.scaleWidth(), 400 * tx);
    EXPECT_FLOAT_EQ(getProperty(&form, "ScaleHeight").toFloat(), 200 * ty);
    EXPECT_FLOAT_EQ(form.width(), (400 + 2 * frame.frameThickness) * tx);
    EXPECT_FLOAT_EQ(form.height(), (200 + frame.captionHeight + 2 * frame.frameThickness) * ty);

    form.move(30 * tx, 40 * ty);
    EXPECT_EQ(form.pos(), QPoint(30, 40));
    EXPECT_EQ(form.size(), QSize(400, 200)) << "moving keeps the size";
}

TEST(FormGeometry, ShowFormCentresOnTheScreen) {
    ProbeForm form;
    form.showForm();
    EXPECT_NEAR(form.left() + form.width() / 2, screen::widthTwips() / 2, screen::twipsPerPixelX());
    EXPECT_NEAR(form.top() + form.height() / 2, screen::heightTwips() / 2,
                screen::twipsPerPixelY());
    EXPECT_EQ(form.pos(), QPoint(screen::toPixelsX(form.left()), screen::toPixelsY(form.top())));
}

TEST(FormGeometry, ShowModalIsModalCentredOverItsOwnerAndReturnsAfterUnload) {
    ProbeForm owner;
    owner.showForm();
    owner.move(600, 450, 7500, 5000);
    ProbeForm dialog;
    dialog.move(0, 0, 3000, 1800);

    std::vector<QString> events;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        const QPoint ownerCentre = owner.frameGeometry().center();
        EXPECT_NEAR(dialog.left() + dialog.width() / 2, screen::fromPixelsX(ownerCentre.x()),
                    screen::twipsPerPixelX());
        EXPECT_NEAR(dialog.top() + dialog.height() / 2, screen::fromPixelsY(ownerCentre.y()),
                    screen::twipsPerPixelY());
        events.push_back(QStringLiteral("unload"));
        dialog.unload();
    });
    dialog.showModal(&owner);
    events.push_back(QStringLiteral("returned"));

    EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("unload"), QStringLiteral("returned")}));
    EXPECT_EQ(dialog.loads, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

class FormKeys : public ::testing::Test {
protected:
    FormKeys() {
        text->move(120, 120, 3000, 315);
        button->move(120, 600, 1500, 375);
        button->setCaption(QStringLiteral("&Update >>"));
        form.setKeyPreview(true);
    }

    ProbeForm form;
    TextBox* text = new TextBox(&form, QStringLiteral("txtDataDir"));
    CommandButton* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
};

TEST_F(FormKeys, PreviewSeesEachKeyOnceAndBeforeTheFocusedControl) {
    QString textWhenPreviewed;
    form.onKey = [&](int&) { textWhenPreviewed = text->text(); };
    ASSERT_TRUE(showActive(form));
    ASSERT_EQ(QApplication::focusWidget(), text->widget());

    QTest::keyClicks(text->widget(), QStringLiteral("ab"));
    EXPECT_EQ(form.keys, (std::vector<int>{'a', 'b'}));
    EXPECT_EQ(textWhenPreviewed, QStringLiteral("a"));
    EXPECT_EQ(text->text(), QStringLiteral("ab"));

    button->setFocus();
    form.keys.clear();
    QTest::keyClick(button->widget(), 'q');
    QTest::keyClick(button->widget(), Qt::Key_Escape);
    EXPECT_EQ(form.keys, (std::vector<int>{'q', 27}))
        << "a key the button leaves unused must not reach Form_KeyPress twice";

    form.setKeyPreview(false);
    form.keys.clear();
    QTest::keyClick(button->widget(), 'q');
    EXPECT_TRUE(form.keys.empty());
}

TEST_F(FormKeys, SettingTheCodeToZeroSwallowsTheKey) {
    form.onKey = [](int& keyAscii) {
        if (keyAscii == 'x') {
            keyAscii = 0;
        }
    };
    ASSERT_TRUE(showActive(form));
    QTest::keyClicks(text->widget(), QStringLiteral("axb"));
    EXPECT_EQ(text->text(), QStringLiteral("ab"));
}

TEST_F(FormKeys, AltAndTheMarkedLetterClicksTheButton) {
    int clicks = 0;
    QObject::connect(button, &Control::Click, &form, [&] { ++clicks; });
    ASSERT_TRUE(showActive(form));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; })) << "the button animates its click";
    EXPECT_TRUE(form.keys.empty()) << "an access key is not a key press for the form";
}

class TabOrder : public ::testing::Test {
protected:
    CommandButton* button(const char* name) {
        auto* created = new CommandButton(&form, QString::fromLatin1(name));
        created->move(120 + 1300 * form.count(), 120, 1200, 375);
        return created;
    }

    QWidget* tabFromFocus() {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget();
    }

    ProbeForm form;
};

TEST_F(TabOrder, SettingATabIndexMovesTheControlAndShiftsTheOthers) {
    CommandButton* a = button("cmdA");
    CommandButton* b = button("cmdB");
    CommandButton* c = button("cmdC");
    CommandButton* d = button("cmdD");
    d->setTabIndex(1);
    EXPECT_EQ(std::vector<int>({a->tabIndex(), d->tabIndex(), b->tabIndex(), c->tabIndex()}),
              std::vector<int>({0, 1, 2, 3}));

    ASSERT_TRUE(showActive(form));
    EXPECT_EQ(QApplication::focusWidget(), a->widget());
    EXPECT_EQ(tabFromFocus(), d->widget());
    EXPECT_EQ(tabFromFocus(), b->widget());
    EXPECT_EQ(tabFromFocus(), c->widget());
    EXPECT_EQ(tabFromFocus(), a->widget());

    b->setEnabled(false);
    EXPECT_EQ(tabFromFocus(), d->widget());
    EXPECT_EQ(tabFromFocus(), c->widget()) << "a disabled control is skipped";
}

TEST_F(TabOrder, TheFirstControlThatCanTakeTheFocusGetsItWhenShown) {
    new Label(&form, QStringLiteral("lblTitle"));
    button("cmdOff")->setEnabled(false);
    button("cmdHidden")->setVisible(false);
    CommandButton* exit = button("cmdExit");
    CommandButton* update = button("cmdUpdate");
    update->setTabIndex(0);
    ASSERT_TRUE(showActive(form));
    EXPECT_EQ(QApplication::focusWidget(), update->widget());
    EXPECT_EQ(form.firstInTabOrder(), update);
    EXPECT_EQ(tabFromFocus(), exit->widget());
}

} // namespace
