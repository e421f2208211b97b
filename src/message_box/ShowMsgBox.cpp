#include "message_box/ShowMsgBox.h"

#include "display/modReso.h"
#include "message_box/MsgBoxLayout.h"
#include "message_box/frmMsgBox.h"
#include "runtime/Application.h"
#include "runtime/MessageBoxStyle.h"
#include "runtime/Screen.h"
#include "runtime/StandardMessageBox.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"
#include "runtime/core/Resume.h"

#include <QPointer>

namespace tolvar::modMain {

std::int16_t MsgBoxResult = 0;

namespace {
msgbox::TwipsRect rectOf(const rt::Control& control) {
    return {control.left(), control.top(), control.width(), control.height()};
}

void arrange(frmMsgBox& box, const QString& prompt, const rt::MsgBoxStyle& decoded,
             float captionHeight, float frameHeight) {
    rt::Label& label = *box.lblMsg;
    msgbox::LayoutInput input;
    input.message = prompt;
    input.buttonCount = decoded.buttonCount();
    input.iconKind = decoded.iconKind;
    input.defaultButton = decoded.defaultButton;
    input.captionHeight = captionHeight;
    input.frameHeight = frameHeight;
    input.scaleX = modReso::ScaleX;
    input.scaleY = modReso::ScaleY;
    input.screenWidth = rt::screen::widthTwips();
    input.label = rectOf(label);
    input.button = rectOf(box.cmdAction[0]);
    input.icon = rectOf(*box.imgC);

    // The label measures the text in its own font by sizing itself to it.
    const msgbox::TextMeasure measure{[&label](const QString& text) {
                                          label.setWordWrap(false);
                                          label.setAutoSize(true);
                                          label.setCaption(text);
                                          return msgbox::TwipsSize{label.width(), label.height()};
                                      },
                                      [&label](const QString& text, float width) {
                                          label.setWidth(width);
                                          label.setWordWrap(true);
                                          label.setCaption(text);
                                          return msgbox::TwipsSize{label.width(), label.height()};
                                      }};
    const msgbox::Layout layout = msgbox::layOut(input, measure);

    label.move(layout.label.left, layout.label.top, layout.label.width, layout.label.height);
    for (int i = 0; i < input.buttonCount; ++i) {
        rt::CommandButton& button = box.cmdAction[i];
        const msgbox::TwipsRect& place = layout.buttons[static_cast<std::size_t>(i)];
        button.setVisible(true);
        button.move(place.left, place.top, place.width, place.height);
    }
    for (std::size_t place = 0; place < layout.tabOrder.size(); ++place) {
        box.cmdAction[layout.tabOrder[place]].setTabIndex(static_cast<int>(place));
    }
    box.setWidth(layout.windowWidth);
    box.setHeight(layout.windowHeight);
}

// Builds the window, shows it modally and releases it. `box` tracks the instance so that a
// failure part-way leaves it to the caller to take down.
void showOwnBox(QPointer<frmMsgBox>& box, QWidget* owner, const QString& prompt, std::int32_t style,
                const std::optional<QString>& title) {
    const rt::screen::FrameMetrics frame = rt::screen::frameMetrics();
    const float captionHeight =
        static_cast<float>(frame.captionHeight) * rt::screen::twipsPerPixelY();
    const float frameHeight =
        static_cast<float>(frame.frameThickness) * rt::screen::twipsPerPixelY();
    const rt::MsgBoxStyle decoded = rt::MsgBoxStyle::decode(style);

    box = new frmMsgBox;
    box->load();

    box->imgC->setVisible(decoded.iconKind == rt::Critical);
    box->imgQ->setVisible(decoded.iconKind == rt::Question);
    box->imgE->setVisible(decoded.iconKind == rt::Exclamation);
    box->imgI->setVisible(decoded.iconKind == rt::Information);

    const int buttons = decoded.buttonCount();
    for (int i = 1; i < buttons; ++i) {
        box->cmdAction.load(i);
    }
    for (int i = 0; i < buttons; ++i) {
        box->cmdAction[i].setCaption(frmMsgBox::buttonCaption(decoded.buttonResult(i)));
    }
    // A question has no neutral answer: only its buttons may end it.
    if (buttons > 1) {
        box->setCloseBoxEnabled(false);
    }
    box->setCaption(title.value_or(rt::app::title()));

    arrange(*box, prompt, decoded, captionHeight, frameHeight);
    box->showModal(owner);
    delete box;
}
} // namespace

std::int32_t ShowMsgBox(QWidget* owner, const QString& prompt, std::int32_t style,
                        const std::optional<QString>& title) {
    MsgBoxResult = 0;
    QPointer<frmMsgBox> box;
    try {
        showOwnBox(box, owner, prompt, style, title);
    } catch (const rt::Failure&) {
        // No button has been recorded, so the platform's box below asks the same question.
    }
    if (MsgBoxResult < 1) {
        if (box) {
            rt::step([&box] { box->unload(rt::UnloadByCode); });
            delete box;
        }
        rt::step([&] { MsgBoxResult = rt::toInt16(rt::standardMessageBox(prompt, style, title)); });
    }
    return MsgBoxResult;
}

} // namespace tolvar::modMain
