#include "display/modReso.h"
#include "runtime/Screen.h"
#include "update_window/frmUpdate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvar {
namespace {

// On the system's own screen and window system (Wine's on a 1024 x 768 Xvfb screen in
// scripts/test-windows.sh), with no profile asking for another screen: the update window takes
// the ratios of the screen the Windows calls measure, and the window system gives it the client
// area it reckons inside the system's frame.
TEST(SystemScreen, TheUpdateWindowScalesToTheMeasuredScreen) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    frmUpdate window;
    window.showForm();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FLOAT_EQ(modReso::ScaleX, static_cast<float>(screen.width()) / 800);
    EXPECT_FLOAT_EQ(modReso::ScaleY, static_cast<float>(screen.height()) / 600);
    const rt::screen::FrameMetrics frame = rt::screen::frameMetrics();
    EXPECT_EQ(window.size(), QSize(rt::screen::toPixelsX(window.width()) - 2 * frame.frameThickness,
                                   rt::screen::toPixelsY(window.height()) - frame.captionHeight -
                                       2 * frame.frameThickness));
}

} // namespace
} // namespace tolvar
