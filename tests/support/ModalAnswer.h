#pragma once

#include "runtime/Controls.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
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

// Answers the program's own message box with its button `button`, after naming the box as
// "title: message" in `seen` and on standard error, where a death test's child can show it.
inline ModalAnswer answerOwnBox(int button, QStringList* seen = nullptr) {
    return ModalAnswer([button, seen](QWidget* box) {
        const auto* message = box->findChild<rt::Label*>(QStringLiteral("lblMsg"));
        ASSERT_NE(message, nullptr) << "not the program's own box";
        const QString shown = box->windowTitle() + QStringLiteral(": ") + message->caption();
        std::fprintf(stderr, "[%s]\n", qPrintable(shown));
        if (seen != nullptr) {
            *seen << shown;
        }
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_%1").arg(button)),
                          Qt::LeftButton);
    });
}

} // namespace tolvar::testsupport
