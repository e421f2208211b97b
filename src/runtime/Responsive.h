#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace tolvar::rt {

// Runs a long blocking call on a worker thread while this thread keeps handling window events,
// so the windows go on painting. Returns when the call has finished; a Failure it raised is
// raised again here. Input is whatever the caller lets through (see InputBlock).
void runResponsively(const std::function<void()>& work);

// While alive, user input aimed at one window (mouse, keyboard, access keys, the close box)
// is dropped. Painting and every other window stay live, so a modal box shown meanwhile
// still takes its answer.
class InputBlock : public QObject {
    Q_OBJECT

public:
    explicit InputBlock(QWidget* window);
    ~InputBlock() override;
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};

} // namespace tolvar::rt
