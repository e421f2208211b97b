// The yardstick for the updater's start-up: the least a Qt Widgets program does to show one
// window of the updater's size, ending after its first paint the way the updater does when the
// benchmark starts it.
#include "app/FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(544, 129);
    tolvar::app::exitAfterFirstPaint(window);
    window.show();
    return QApplication::exec();
}
