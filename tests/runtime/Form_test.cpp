#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
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
    std::function<void(int&)> onKey = [](int&) {};

protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(bool& cancel, UnloadReason reason) override {
        reasons.push_back(reason);
        cancel = refuseUnload;
    }
    void Form_KeyPress(int& keyAscii) override {
        keys.push_back(keyAscii);
        onKey(keyAscii);
    }
};

TEST(FormLifetime, LoadsOnceUntilUnloadedAndQueryUnloadMayRefuse) {
    ProbeForm form;
    form.load();
    form.showForm();
    EXPECT_EQ(form.loads, 1);
    form.refuseUnload = true;
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.unload(UnloadByCode));
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isLoaded());

    form.refuseUnload = false;
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.isLoaded());
    EXPECT_EQ(form.reasons, (std::vector<UnloadReason>{UnloadByUser, UnloadByCode, UnloadByUser}));
    form.showForm();
    EXPECT_EQ(form.loads, 2);
}

TEST(FormGeometry, OuterSizeIncludesTheFrameAndTheFirstShowCentresOnTheScreen) {
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
    const screen::FrameMetrics frame = screen::frameMetrics();
    ProbeForm form;
    form.setClientSize(400 * tx, 200 * ty);
    EXPECT_EQ(form.size(), QSize(400, 200));
    EXPECT_FLOAT_EQ(form.scaleWidth(), 400 * tx);
    EXPECT_FLOAT_EQ(form.width(), (400 + 2 * frame.frameThickness) * tx);
    EXPECT_FLOAT_EQ(form.height(), (200 + frame.captionHeight + 2 * frame.frameThickness) * ty);

    form.showForm();
    EXPECT_NEAR(form.left() + form.width() / 2, screen::widthTwips() / 2, tx);
    EXPECT_NEAR(form.top() + form.height() / 2, screen::heightTwips() / 2, ty);
    EXPECT_EQ(form.pos(), QPoint(screen::toPixelsX(form.left()), screen::toPixelsY(form.top())));
}

TEST(FormGeometry, ShowModalIsCentredOverItsOwnerAndReturnsOnlyAfterUnload) {
    ProbeForm owner;
    owner.showForm();
    owner.move(600, 450, 7500, 5000);
    ProbeForm dialog;
    dialog.move(0, 0, 3000, 1800);
    bool unloaded = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        const QPoint ownerCentre = owner.frameGeometry().center();
        EXPECT_NEAR(dialog.left() + dialog.width() / 2, screen::fromPixelsX(ownerCentre.x()),
                    screen::twipsPerPixelX());
        EXPECT_NEAR(dialog.top() + dialog.height() / 2, screen::fromPixelsY(ownerCentre.y()),
                    screen::twipsPerPixelY());
        unloaded = dialog.unload();
    });
    dialog.showModal(&owner);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(FormKeys, PreviewSeesEachKeyOnceBeforeTheControlAndMaySwallowIt) {
    ProbeForm form;
    form.setKeyPreview(true);
    auto* text = new TextBox(&form, QStringLiteral("txtDataDir"));
    auto* button = new CommandButton(&form, QStringLiteral("cmdUpdate"));
    text->move(120, 120, 3000, 315);
    button->move(120, 600, 1500, 375);
    QString textWhenPreviewed;
    form.onKey = [&](int& keyAscii) {
        textWhenPreviewed = text->text();
        keyAscii = keyAscii == 'x' ? 0 : keyAscii;
    };
    ASSERT_TRUE(showActive(form));
    ASSERT_EQ(QApplication::focusWidget(), text->widget());
    QTest::keyClicks(text->widget(), QStringLiteral("axb"));
    EXPECT_EQ(form.keys, (std::vector<int>{'a', 'x', 'b'}));
    EXPECT_EQ(textWhenPreviewed, QStringLiteral("a"));
    EXPECT_EQ(text->text(), QStringLiteral("ab"));

    button->setFocus();
    form.keys.clear();
    QTest::keyClick(button->widget(), 'q');
    QTest::keyClick(button->widget(), Qt::Key_Escape);
    EXPECT_EQ(form.keys, (std::vector<int>{'q', 27}))
        << "a key the button leaves unused must not reach Form_KeyPress twice";

    form.setKeyPreview(false);
    QTest::keyClick(button->widget(), 'q');
    EXPECT_EQ(form.keys.size(), 2U);
}

TEST(FormTabOrder, ATabIndexShiftsTheOthersAndTabSkipsWhatCannotTakeTheFocus) {
    ProbeForm form;
    new Label(&form, QStringLiteral("lblTitle"));
    std::vector<CommandButton*> b;
    for (const char* name : {"cmdA", "cmdB", "cmdC", "cmdHidden", "cmdD"}) {
        b.push_back(new CommandButton(&form, QString::fromLatin1(name)));
        b.back()->move(120 + 1300 * form.count(), 120, 1200, 375);
    }
    b[3]->setVisible(false);
    b[4]->setTabIndex(1);
    EXPECT_EQ(std::vector<int>({b[4]->tabIndex(), b[0]->tabIndex(), b[1]->tabIndex()}),
              std::vector<int>({1, 2, 3}));

    ASSERT_TRUE(showActive(form));
    const auto tab = [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    EXPECT_EQ(QApplication::focusWidget(), b[4]->widget());
    EXPECT_EQ(tab(), b[0]->widget());
    EXPECT_EQ(tab(), b[1]->widget());
    b[2]->setEnabled(false);
    EXPECT_EQ(tab(), b[4]->widget()) << "disabled and invisible controls are skipped";
}

} // namespace
