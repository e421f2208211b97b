#include "runtime/Controls.h"

#include "runtime/Form.h"
#include "runtime/Screen.h"
#include "runtime/core/Failure.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPushButton>

#include <climits>

namespace tolvar::rt {

namespace {
QString objectNameFor(const QString& name, int index) {
    return index < 0 ? name : name + QLatin1Char('_') + QString::number(index);
}

// The user ticks and unticks; only the program greys a box. A plain QCheckBox that has once
// been greyed would cycle through grey on every later click.
class TwoStateCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};
} // namespace

Control::Control(Form* form, const QString& name, int index, QWidget* widget)
    : QObject(form), form_(form), name_(name), index_(index), widget_(widget) {
    setObjectName(objectNameFor(name, index));
    widget_->setObjectName(objectName());
    form_->addControl(this);
    widget_->installEventFilter(form_);
    setPlace(place_);
}

Control::~Control() {
    form_->removeControl(this);
    delete widget_;
}

QObject* Control::container() const {
    return form_;
}

void Control::setPlace(const TwipsRect& place) {
    const QRect pixels = screen::toPixelRect(place);
    place_ = place;
    widget_->setGeometry(pixels);
}

void Control::setSizeFromContent(float width, float height) {
    setPlace({place_.left, place_.top, width, height});
}

void Control::setLeft(float twips) {
    setPlace(moved(place_, twips, {}, {}, {}));
}

void Control::setTop(float twips) {
    setPlace(moved(place_, place_.left, twips, {}, {}));
}

void Control::setWidth(float twips) {
    setPlace(moved(place_, place_.left, {}, twips, {}));
}

void Control::setHeight(float twips) {
    setPlace(moved(place_, place_.left, {}, {}, twips));
}

void Control::move(float left, std::optional<float> top, std::optional<float> width,
                   std::optional<float> height) {
    // Checked before anything changes, so a refused value leaves the control where it was.
    screen::toPixelRect(moved(place_, left, top, width, height));
    setLeft(left);
    if (top) {
        setTop(*top);
    }
    if (width) {
        setWidth(*width);
    }
    if (height) {
        setHeight(*height);
    }
}

bool Control::isEnabled() const {
    return !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void Control::setEnabled(bool enabled) {
    widget_->setEnabled(enabled);
}

void Control::setVisible(bool visible) {
    visible_ = visible;
    widget_->setVisible(visible);
}

int Control::tabIndex() const {
    return form_->tabIndexOf(this);
}

void Control::setTabIndex(int index) {
    form_->setTabIndexOf(this, index);
}

QColor Control::backColor() const {
    return widget_->palette().color(widget_->backgroundRole());
}

void Control::setBackColor(const QColor& color) {
    QPalette palette = widget_->palette();
    palette.setColor(widget_->backgroundRole(), color);
    widget_->setPalette(palette);
    widget_->setAutoFillBackground(true);
}

bool Control::canTakeFocus() const {
    return widget_->focusPolicy() != Qt::NoFocus && isEnabled() && visible_;
}

void Control::setFocus() {
    if (!canTakeFocus()) {
        raise(desc::InvalidProcedureCall);
    }
    widget_->setFocus(Qt::OtherFocusReason);
}

void Control::copyDesignFrom(const Control& model) {
    const QMetaObject* meta = model.metaObject();
    for (int i = Control::staticMetaObject.propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QByteArray name = property.name();
        if (!property.isWritable() || name == "Visible" || name == "TabIndex") {
            continue;
        }
        property.write(this, property.read(&model));
    }
}

QString TextControl::fontName() const {
    return widget()->font().family();
}

void TextControl::setFontName(const QString& family) {
    QFont font = widget()->font();
    font.setFamily(family);
    widget()->setFont(font);
    fontChanged();
}

double TextControl::fontSize() const {
    return QFontInfo(widget()->font()).pointSizeF();
}

void TextControl::setFontSize(double points) {
    if (!(points > 0) || points > 2048) {
        raise(desc::InvalidPropertyValue);
    }
    QFont font = widget()->font();
    font.setPointSizeF(points);
    widget()->setFont(font);
    fontChanged();
}

bool TextControl::fontBold() const {
    return widget()->font().bold();
}

void TextControl::setFontBold(bool bold) {
    QFont font = widget()->font();
    font.setBold(bold);
    widget()->setFont(font);
    fontChanged();
}

QColor TextControl::foreColor() const {
    return widget()->palette().color(widget()->foregroundRole());
}

void TextControl::setForeColor(const QColor& color) {
    QPalette palette = widget()->palette();
    palette.setColor(widget()->foregroundRole(), color);
    widget()->setPalette(palette);
}

Label::Label(Form* form, const QString& name, int index)
    : TextControl(form, name, index, new QLabel(form)) {
    label()->setTextFormat(Qt::PlainText);
    label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widget()->setFocusPolicy(Qt::NoFocus);
}

QLabel* Label::label() const {
    return static_cast<QLabel*>(widget());
}

void Label::setCaption(const QString& caption) {
    caption_ = caption;
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    label()->setText(shown);
    fitToText();
}

void Label::setAutoSize(bool on) {
    autoSize_ = on;
    fitToText();
}

void Label::setWordWrap(bool on) {
    wordWrap_ = on;
    label()->setWordWrap(on);
    fitToText();
}

void Label::setAlignment(int alignment) {
    static constexpr Qt::Alignment Horizontal[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    if (alignment < 0 || alignment > 2) {
        raise(desc::InvalidPropertyValue);
    }
    alignment_ = alignment;
    label()->setAlignment(Horizontal[alignment] | Qt::AlignTop);
}

void Label::setWidth(float twips) {
    TextControl::setWidth(twips);
    if (wordWrap_) {
        fitToText();
    }
}

void Label::fontChanged() {
    fitToText();
}

void Label::fitToText() {
    if (!autoSize_) {
        return;
    }
    const QFontMetrics metrics(label()->font());
    const QString text = label()->text();
    if (wordWrap_) {
        const QRect bounds =
            metrics.boundingRect(QRect(0, 0, screen::toPixelsX(width()), INT_MAX / 2),
                                 Qt::TextWordWrap | Qt::AlignLeft, text);
        setSizeFromContent(width(), screen::fromPixelsY(bounds.height()));
    } else {
        const QSize size = metrics.size(0, text);
        setSizeFromContent(screen::fromPixelsX(size.width()), screen::fromPixelsY(size.height()));
    }
}

CheckBox::CheckBox(Form* form, const QString& name, int index)
    : TextControl(form, name, index, new TwoStateCheckBox(form)) {
    connect(box(), &QCheckBox::stateChanged, this, &Control::Click);
}

QCheckBox* CheckBox::box() const {
    return static_cast<QCheckBox*>(widget());
}

QString CheckBox::caption() const {
    return box()->text();
}

void CheckBox::setCaption(const QString& caption) {
    box()->setText(caption);
}

int CheckBox::value() const {
    switch (box()->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void CheckBox::setValue(int value) {
    static constexpr Qt::CheckState States[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (value < 0 || value > 2) {
        raise(desc::InvalidPropertyValue);
    }
    box()->setCheckState(States[value]);
}

TextBox::TextBox(Form* form, const QString& name, int index)
    : TextControl(form, name, index, new QLineEdit(form)) {}

QLineEdit* TextBox::edit() const {
    return static_cast<QLineEdit*>(widget());
}

QString TextBox::text() const {
    return edit()->text();
}

void TextBox::setText(const QString& text) {
    edit()->setText(text);
}

CommandButton::CommandButton(Form* form, const QString& name, int index)
    : TextControl(form, name, index, new QPushButton(form)) {
    // Enter presses the focused button, as Space does.
    button()->setAutoDefault(true);
    connect(button(), &QPushButton::clicked, this, &Control::Click);
}

QPushButton* CommandButton::button() const {
    return static_cast<QPushButton*>(widget());
}

QString CommandButton::caption() const {
    return button()->text();
}

void CommandButton::setCaption(const QString& caption) {
    button()->setText(caption);
}

QIcon CommandButton::picture() const {
    return button()->icon();
}

void CommandButton::setPicture(const QIcon& picture) {
    button()->setIcon(picture);
    button()->setIconSize(QSize(16, 15));
}

Image::Image(Form* form, const QString& name, int index)
    : Control(form, name, index, new QLabel(form)) {
    widget()->setFocusPolicy(Qt::NoFocus);
    static_cast<QLabel*>(widget())->setAlignment(Qt::AlignCenter);
}

void Image::setPicture(const QIcon& picture) {
    picture_ = picture;
    showPicture();
}

void Image::setWidth(float twips) {
    Control::setWidth(twips);
    showPicture();
}

void Image::setHeight(float twips) {
    Control::setHeight(twips);
    showPicture();
}

void Image::showPicture() {
    const QSize size(screen::toPixelsX(width()), screen::toPixelsY(height()));
    static_cast<QLabel*>(widget())->setPixmap(size.isEmpty() ? QPixmap() : picture_.pixmap(size));
}

} // namespace tolvar::rt
