#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tolvar::testsupport {

// Answers the next modal window the code under test opens, the way Qt's own tests do: a timer
// watches for the active modal widget and hands it to `answer`, which presses a button on it.
// The watch ends with this object, so an answer meant for one test never reaches the next.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->isVisible()) {
                timer_.stop();
                answered_ = true;
                answer_(modal);
            }
        });
        timer_.start();
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    bool answered() const { return answered_; }

private:
    std::function<void(QWidget*)> answer_;
    QTimer timer_;
    bool answered_ = false;
};

} // namespace tolvar::testsupport
