#pragma once

#include <QWidget>

// Start-up timing: with this in place the event loop ends right after `window` has painted for
// the first time, so a start can be timed to its first frame from outside (the benchmark does,
// see docs/performance.md). Nothing else about the program changes.
namespace tolvar::app {

void exitAfterFirstPaint(QWidget& window);

} // namespace tolvar::app
