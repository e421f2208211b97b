#include "RuntimeTestSupport.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Properties.h"
#include "runtime/Responsive.h"
#include "runtime/Screen.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <vector>

using namespace tolvar::rt;

namespace {

// Counts its loads, refuses to go while `refuse` is set, and keeps the keys it previews, eating
// each "x".
struct Recording : test::BlankForm {
    int loads = 0;
    bool refuse = false;
    std::vector<int> keys;
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(bool& cancel, UnloadReason /*reason*/) override { cancel = refuse; }
    void Form_KeyPress(int& keyAscii) override {
        keys.push_back(keyAscii);
        keyAscii = keyAscii == 'x' ? 0 : keyAscii;
    }
};

TEST(Form, TakesItsClientSizeLoadsOnceShowsCentredAndStaysWhileItRefusesToGo) {
    const float tx = screen::twipsPerPixelX();
    const float ty = screen::twipsPerPixelY();
    const screen::FrameMetrics frame = screen::frameMetrics();
    EXPECT_EQ(frame.frameThickness, 3) << "the platform's usual dialog frame";
    Recording form;
    form.load();
    form.setClientSize(400 * tx, 200 * ty);
    EXPECT_EQ(form.size(), QSize(400, 200));
    EXPECT_FLOAT_EQ(form.width(), (400 + 2 * frame.frameThickness) * tx) << "frame included";
    EXPECT_FLOAT_EQ(form.height(), (200 + frame.captionHeight + 2 * frame.frameThickness) * ty);
    form.showForm();
    EXPECT_EQ(form.loads, 1);
    const QSize pixels = QGuiApplication::primaryScreen()->size();
    EXPECT_FLOAT_EQ(form.left() + form.width() / 2, pixels.width() * tx / 2) << "centred";
    EXPECT_FLOAT_EQ(form.top() + form.height() / 2, pixels.height() * ty / 2);
    setProperty(&form, "Left", 0);
    setProperty(&form, "Top", 45);
    form.showForm();
    EXPECT_EQ(test::twipsOf(form), (test::Twips{0, 45, form.width(), form.height()}))
        << "centred only when first shown";
    {
        const InputBlock blocked(&form);
        EXPECT_FALSE(form.windowHandle()->close()) << "the close box does nothing";
    }
    form.refuse = true;
    EXPECT_FALSE(form.unload());
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible() && form.isLoaded());
    form.refuse = false;
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible() || form.isLoaded());
    form.showForm();
    EXPECT_TRUE(form.unload());
    form.showForm();
    EXPECT_EQ(form.loads, 3) << "loaded again after each way out";
}
TEST(Form, ATabIndexShiftsTheOthersTabSkipsWhatCannotTakeTheFocusAndMnemonicsAreNotPreviewed) {
    Recording form;
    new Label(&form, QStringLiteral("lblTitle"));
    std::vector<CommandButton*> b;
    for (const char* name : {"cmdA", "cmdB", "cmdC", "cmdHidden", "cmdD"}) {
        b.push_back(new CommandButton(&form, QString::fromLatin1(name)));
        b.back()->move(120 + 1300 * form.count(), 120, 1200, 375);
    }
    b[3]->setVisible(false);
    b[4]->setTabIndex(1);
    b[2]->setTabIndex(99);
    EXPECT_EQ(test::failureOf([&] { b[0]->setTabIndex(-1); }), desc::InvalidPropertyValue);
    EXPECT_EQ(
        std::vector<int>({b[4]->tabIndex(), b[0]->tabIndex(), b[1]->tabIndex(), b[2]->tabIndex()}),
        std::vector<int>({1, 2, 3, 5}))
        << "an index past the end is the last";

    // The first control in the order cannot take the focus, so the form starts on the next,
    // wherever the focus was when it was last shown.
    b[4]->setEnabled(false);
    form.showForm();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form)) << "Tab moves the focus in the active window";
    const auto tab = [&form] {
        QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
        return form.focusWidget();
    };
    EXPECT_EQ(form.focusWidget(), b[0]->widget());
    EXPECT_EQ(tab(), b[1]->widget());
    form.hide();
    form.showForm();
    EXPECT_EQ(form.focusWidget(), b[0]->widget());
    b[4]->setEnabled(true);
    EXPECT_EQ(tab(), b[1]->widget());
    b[2]->setEnabled(false);
    EXPECT_EQ(tab(), b[4]->widget()) << "disabled and invisible controls are skipped";
    for (CommandButton* cannot : {b[2], b[3]}) {
        EXPECT_EQ(test::failureOf([&] { cannot->setFocus(); }), desc::InvalidProcedureCall);
    }

    form.setKeyPreview(true);
    QTest::keyClick(b[4]->widget(), Qt::Key_U, Qt::AltModifier);
    QTest::keyClick(b[4]->widget(), Qt::Key_U);
    QTest::keyClick(b[4]->widget(), Qt::Key_Escape);
    auto* text = new TextBox(&form, QStringLiteral("txtIn"));
    QTest::keyClicks(text->widget(), QStringLiteral("xy"));
    EXPECT_EQ(form.keys, (std::vector<int>{'u', 27, 'x', 'y'}));
    EXPECT_EQ(text->text(), QStringLiteral("y")) << "an eaten key never reaches the control";
}

} // namespace
