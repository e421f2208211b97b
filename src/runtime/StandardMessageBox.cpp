#include "runtime/StandardMessageBox.h"

#include "runtime/Application.h"
#include "runtime/MessageBoxStyle.h"

#include <QMessageBox>
#include <QPushButton>

#include <map>

namespace tolvar::rt {

namespace {
StandardMessageBoxHook& hook() {
    static StandardMessageBoxHook value;
    return value;
}

QMessageBox::StandardButton standardButtonFor(MsgBoxResultCode code) {
    switch (code) {
    case ResultOk:
        return QMessageBox::Ok;
    case ResultCancel:
        return QMessageBox::Cancel;
    case ResultAbort:
        return QMessageBox::Abort;
    case ResultRetry:
        return QMessageBox::Retry;
    case ResultIgnore:
        return QMessageBox::Ignore;
    case ResultYes:
        return QMessageBox::Yes;
    case ResultNo:
        return QMessageBox::No;
    case NoAnswer:
        break;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon iconFor(int iconKind) {
    switch (iconKind) {
    case Critical:
        return QMessageBox::Critical;
    case Question:
        return QMessageBox::Question;
    case Exclamation:
        return QMessageBox::Warning;
    case Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}
} // namespace

void setStandardMessageBoxHook(StandardMessageBoxHook newHook) {
    hook() = std::move(newHook);
}

int standardMessageBox(const QString& prompt, std::int32_t style,
                       const std::optional<QString>& title) {
    const QString caption = title.value_or(app::title());
    if (hook()) {
        return hook()(prompt, style, caption);
    }
    const MsgBoxStyle decoded = MsgBoxStyle::decode(style);
    QMessageBox box(iconFor(decoded.iconKind), caption, prompt);
    std::map<QAbstractButton*, MsgBoxResultCode> results;
    for (int i = 0; i < decoded.buttonCount(); ++i) {
        const MsgBoxResultCode code = decoded.buttonResult(i);
        results[box.addButton(standardButtonFor(code))] = code;
    }
    const int defaultIndex = defaultButtonIndex(decoded.defaultButton);
    if (defaultIndex < decoded.buttonCount()) {
        box.setDefaultButton(standardButtonFor(decoded.buttonResult(defaultIndex)));
    }
    box.exec();
    const auto found = results.find(box.clickedButton());
    return found != results.end() ? found->second : NoAnswer;
}

} // namespace tolvar::rt
