#include "runtime/Application.h"

#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// As Qt's own widget tests do after each case: a window a test leaves behind fails that test,
// not whichever runs next and trips over it. What was left is closed, so the next starts clean.
class NoWindowLeftBehind : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        QStringList left;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                left << window->objectName() + QLatin1Char(' ') + window->windowTitle();
            }
        }
        QApplication::closeAllWindows();
        QApplication::processEvents();
        EXPECT_TRUE(left.isEmpty()) << "windows left open: " << left.join(u", ").toStdString();
    }
};

} // namespace

int main(int argc, char** argv) {
    // Whatever desktop the tests are started from; a -platform argument still chooses another.
    qputenv("QT_QPA_PLATFORM", TOLVAR_TEST_PLATFORM);
    tolvar::rt::app::prepareProcess();
    QApplication application(argc, argv);
    tolvar::rt::app::prepareApplication();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    ::testing::UnitTest::GetInstance()->listeners().Append(new NoWindowLeftBehind);
    return RUN_ALL_TESTS();
}
