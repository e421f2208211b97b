#include "runtime/Form.h"

#include "platform/WindowFrame.h"
#include "runtime/Controls.h"
#include "runtime/Screen.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>

namespace tolvar::rt {

Form::Form(const QString& name)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(name);
    installEventFilter(this);
}

Form::~Form() {
    // Controls unregister themselves; take them out first so none does it into a half-gone form.
    const std::vector<Control*> owned = controls_;
    controls_.clear();
    tabOrder_.clear();
    for (Control* control : owned) {
        delete control;
    }
}

void Form::load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    Form_Load();
}

void Form::showForm() {
    load();
    if (!placed_) {
        centreOver(nullptr);
    }
    show();
    raise();
    activateWindow();
}

void Form::showModal(QWidget* owner) {
    load();
    if (owner != nullptr) {
        setParent(owner, windowFlags());
    }
    centreOver(owner);
    setWindowModality(Qt::ApplicationModal);
    QPointer<Form> self(this);
    QEventLoop loop;
    connect(this, &Form::unloaded, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    if (isVisible()) {
        loop.exec();
    }
    if (self) {
        setParent(nullptr, windowFlags());
    }
}

bool Form::unload(UnloadReason reason) {
    bool cancel = false;
    Form_QueryUnload(cancel, reason);
    if (cancel) {
        return false;
    }
    hide();
    loaded_ = false;
    emit unloaded();
    return true;
}

void Form::Form_QueryUnload(bool& /*cancel*/, UnloadReason /*reason*/) {}

void Form::Form_KeyPress(int& /*keyAscii*/) {}

void Form::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_QueryUnload(cancel, UnloadByUser);
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    loaded_ = false;
    emit unloaded();
}

void Form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Where the system menu can be edited, the close command goes from it as well, so neither
    // the close box nor the menu (which Qt re-enables when it opens it from the keyboard) offers
    // to close. Once per native window: a form shown under a new owner gets a new one.
    if (!closeBoxEnabled() && menuStrippedWindow_ != winId()) {
        menuStrippedWindow_ = winId();
        platform::removeCloseCommand(menuStrippedWindow_);
    }
    if (Control* first = firstInTabOrder()) {
        first->widget()->setFocus(Qt::TabFocusReason);
    }
}

bool Form::eventFilter(QObject* watched, QEvent* event) {
    // A key goes to the focused control, and one the control leaves unused travels on to the
    // form: the form previews a key where it first arrives, not again on its way.
    const bool passedOn = watched == this && focusWidget() != nullptr && focusWidget() != this;
    if (keyPreview_ && event->type() == QEvent::KeyPress && !passedOn) {
        const auto* key = static_cast<QKeyEvent*>(event);
        int keyAscii = 0;
        if (key->key() == Qt::Key_Escape) {
            keyAscii = 27;
        } else if (!key->text().isEmpty() && !(key->modifiers() & Qt::AltModifier)) {
            keyAscii = key->text().at(0).unicode();
        }
        if (keyAscii != 0) {
            Form_KeyPress(keyAscii);
            // A handler that sets the code to 0 has eaten the key; one that unloaded the
            // window leaves nothing for the control to do with it either.
            return keyAscii == 0 || !isVisible();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form::addControl(Control* control) {
    controls_.push_back(control);
    tabOrder_.push_back(control);
    applyTabOrder();
}

void Form::removeControl(Control* control) {
    std::erase(controls_, control);
    std::erase(tabOrder_, control);
}

Control* Form::control(int index) const {
    if (index < 0 || index >= count()) {
        rt::raise(desc::SubscriptOutOfRange);
    }
    return controls_[static_cast<std::size_t>(index)];
}

int Form::tabIndexOf(const Control* control) const {
    const auto found = std::find(tabOrder_.begin(), tabOrder_.end(), control);
    return static_cast<int>(found - tabOrder_.begin());
}

void Form::setTabIndexOf(Control* control, int index) {
    if (index < 0) {
        rt::raise(desc::InvalidPropertyValue);
    }
    std::erase(tabOrder_, control);
    const auto place = std::min<std::size_t>(static_cast<std::size_t>(index), tabOrder_.size());
    tabOrder_.insert(tabOrder_.begin() + static_cast<std::ptrdiff_t>(place), control);
    applyTabOrder();
}

Control* Form::firstInTabOrder() const {
    const auto found = std::find_if(tabOrder_.begin(), tabOrder_.end(),
                                    [](const Control* c) { return c->canTakeFocus(); });
    return found != tabOrder_.end() ? *found : nullptr;
}

void Form::applyTabOrder() {
    QWidget* previous = nullptr;
    for (const Control* control : tabOrder_) {
        QWidget* widget = control->widget();
        if (widget->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

float Form::left() const {
    return place_.left;
}
float Form::top() const {
    return place_.top;
}
float Form::width() const {
    return place_.width;
}
float Form::height() const {
    return place_.height;
}

void Form::setLeft(float twips) {
    setPlace(moved(place_, twips, {}, {}, {}));
}

void Form::setTop(float twips) {
    setPlace(moved(place_, place_.left, twips, {}, {}));
}

void Form::setWidth(float twips) {
    setPlace(moved(place_, place_.left, {}, twips, {}));
}

void Form::setHeight(float twips) {
    setPlace(moved(place_, place_.left, {}, {}, twips));
}

void Form::move(float left, std::optional<float> top, std::optional<float> width,
                std::optional<float> height) {
    setPlace(moved(place_, left, top, width, height));
}

float Form::scaleWidth() const {
    return screen::fromPixelsX(QWidget::width());
}

float Form::scaleHeight() const {
    return screen::fromPixelsY(QWidget::height());
}

void Form::setClientSize(float widthTwips, float heightTwips) {
    const screen::FrameMetrics frame = screen::frameMetrics();
    move(place_.left, place_.top, widthTwips + screen::fromPixelsX(2 * frame.frameThickness),
         heightTwips + screen::fromPixelsY(frame.captionHeight + 2 * frame.frameThickness));
}

void Form::setPlace(const TwipsRect& place) {
    const QRect pixels = screen::toPixelRect(place);
    place_ = place;
    const screen::FrameMetrics frame = screen::frameMetrics();
    const int clientWidth = pixels.width() - 2 * frame.frameThickness;
    const int clientHeight = pixels.height() - frame.captionHeight - 2 * frame.frameThickness;
    setFixedSize(std::max(clientWidth, 0), std::max(clientHeight, 0));
    QWidget::move(pixels.topLeft());
}

void Form::centreOver(const QWidget* owner) {
    float centreX = screen::widthTwips() / 2;
    float centreY = screen::heightTwips() / 2;
    if (owner != nullptr) {
        const QRect frame = owner->frameGeometry();
        centreX = screen::fromPixelsX(frame.center().x());
        centreY = screen::fromPixelsY(frame.center().y());
    }
    placed_ = true;
    // A window too large to centre stays where it was.
    rt::step([&] {
        setPlace(
            {centreX - place_.width / 2, centreY - place_.height / 2, place_.width, place_.height});
    });
}

QColor Form::backColor() const {
    return palette().color(QPalette::Window);
}

void Form::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(true);
}

void Form::setCloseBoxEnabled(bool enabled) {
    setWindowFlag(Qt::WindowCloseButtonHint, enabled);
}

bool Form::closeBoxEnabled() const {
    return windowFlags().testFlag(Qt::WindowCloseButtonHint);
}

} // namespace tolvar::rt
