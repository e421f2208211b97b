#include "app/FirstPaint.h"

#include <QCoreApplication>
#include <QEvent>

namespace tolvar::app {

namespace {

class FirstPaintWatch : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so the frame this paint belongs to is finished and flushed first. exit()
            // rather than quit(): a form that refuses to close must not keep the loop going.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] { QCoreApplication::exit(0); },
                Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

void exitAfterFirstPaint(QWidget& window) {
    window.installEventFilter(new FirstPaintWatch(&window));
}

} // namespace tolvar::app
