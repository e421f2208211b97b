#pragma once

#include <QString>

// The language run-time's application services: who the program is, where it lives, how it
// was started, and how it lets events through and ends.
namespace tolvar::rt::app {

// Called before the QApplication exists: the program does its own display adaptation, so
// Qt's automatic high-DPI scaling is switched off and pixels stay the screen's own.
void prepareProcess();

// Called once the QApplication exists: the widget style and the fonts the forms expect.
void prepareApplication();

QString title();

// The directory holding the program's executable (not the working directory).
QString executableDirectory();
void setExecutableDirectoryForTesting(const QString& directory);

// The argument text after the program's own path, arguments joined by single spaces; empty
// when the program was started without arguments.
QString command();
void setCommandForTesting(const QString& command);

// One pass over the pending window events.
void doEvents();

// Test seam: raises the failure that the environment variable TOLVAR_INJECT_FAILURE names for
// `site` (its value is "site:description"), so tests can drive a procedure's failure path in
// the real program. Without the variable nothing happens.
void failureInjectionPoint(const char* site);

// Ends the process at once: open sequential files are closed, no further event runs.
[[noreturn]] void end(int status = 0);

} // namespace tolvar::rt::app
