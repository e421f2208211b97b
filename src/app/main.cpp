#include "app/FirstPaint.h"
#include "runtime/Application.h"
#include "update_window/frmUpdate.h"

#include <QApplication>

int main(int argc, char** argv) {
    tolvar::rt::app::prepareProcess();
    QApplication application(argc, argv);
    tolvar::rt::app::prepareApplication();

    tolvar::frmUpdate window;
    if (qEnvironmentVariableIntValue("TOLVAR_EXIT_AFTER_FIRST_PAINT") != 0) {
        tolvar::app::exitAfterFirstPaint(window);
    }
    window.showForm();
    return QApplication::exec();
}
