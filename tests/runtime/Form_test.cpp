#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QTimer>

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
    int swallowed = 0;

protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(bool& cancel, UnloadReason reason) override {
        reasons.push_back(reason);
        cancel = refuseUnload;
    }
    void Form_KeyPress(int& keyAscii) override {
        keys.push_back(keyAscii);
        keyAscii = keyAscii == swallowed ? 0 : keyAscii;
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
    EXPECT_TRUE(form.isVisible() && form.isLoaded());

    form.refuseUnload = false;
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible() || form.isLoaded());
    EXPECT_EQ(form.reasons, (std::vector<UnloadReason>{UnloadByUser, UnloadByCode, UnloadByUser}));
    form.showForm();
    EXPECT_EQ(form.loads, 2);
}

// The first show centres a window on the screen, a modal one over its owner.
TEST(FormGeometry, OuterSizeIncludesTheFrameAndAFirstShowCentres) {
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
    const auto expectCentredOn = [&](const Form& form, QPointF centre) {
        EXPECT_NEAR(form.left() + form.width() / 2, centre.x(), tx);
        EXPECT_NEAR(form.top() + form.height() / 2, centre.y(), ty);
    };
    const screen::FrameMetrics frame = screen::frameMetrics();
    ProbeForm owner;
    owner.setClientSize(400 * tx, 200 * ty);
    EXPECT_EQ(owner.size(), QSize(400, 200));
    EXPECT_FLOAT_EQ(owner.scaleWidth(), 400 * tx);
    EXPECT_FLOAT_EQ(owner.width(), (400 + 2 * frame.frameThickness) * tx);
    EXPECT_FLOAT_EQ(owner.height(), (200 + frame.captionHeight + 2 * frame.frameThickness) * ty);
    owner.showForm();
    expectCentredOn(owner, QPointF(screen::widthTwips() / 2, screen::heightTwips() / 2));
    EXPECT_EQ(owner.pos(), QPoint(screen::toPixelsX(owner.left()), screen::toPixelsY(owner.top())));

    owner.move(600, 450, 7500, 5000);
    ProbeForm dialog;
    dialog.move(0, 0, 3000, 1800);
    bool unloaded = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        const QPoint ownerCentre = owner.frameGeometry().center();
        expectCentredOn(dialog, QPointF(screen::fromPixelsX(ownerCentre.x()),
                                        screen::fromPixelsY(ownerCentre.y())));
        unloaded = dialog.unload();
    });
    dialog.showModal(&owner);
    EXPECT_TRUE(unloaded) << "a modal show returns only after the unload";
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
    form.swallowed = 'x';
    ASSERT_TRUE(showActive(form));
    ASSERT_EQ(QApplication::focusWidget(), text->widget());
    QTest::keyClicks(text->widget(), QStringLiteral("axb"));
    EXPECT_EQ(form.keys, (std::vector<int>{'a', 'x', 'b'}));
    EXPECT_EQ(text->text(), QStringLiteral("ab")) << "the preview comes before the control";

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
