#include "runtime/Responsive.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

#include <exception>
#include <thread>

namespace tolvar::rt {

void runResponsively(const std::function<void()>& work) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

InputBlock::InputBlock(QWidget* window) : window_(window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputBlock::~InputBlock() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::Close: {
        const auto* widget = qobject_cast<QWidget*>(watched);
        const bool blocked = widget != nullptr && window_ != nullptr && widget->window() == window_;
        // A close event starts out accepted, and the window closes unless someone refuses it:
        // dropping it is not enough.
        if (blocked && event->type() == QEvent::Close) {
            event->ignore();
        }
        return blocked;
    }
    default:
        return false;
    }
}

} // namespace tolvar::rt
