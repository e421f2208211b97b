#include "message_box/frmMsgBox.h"

#include "display/modReso.h"
#include "message_box/ShowMsgBox.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <QIcon>
#include <QLatin1String>

#include <array>

namespace tolvar {

namespace {
struct CaptionResult {
    QLatin1String caption;
    rt::MsgBoxResultCode code;
};

// In the order a caption is looked up: the first equal one decides.
constexpr std::array<CaptionResult, 7> Captions{{
    {QLatin1String("&Abort"), rt::ResultAbort},
    {QLatin1String("&Retry"), rt::ResultRetry},
    {QLatin1String("&Ignore"), rt::ResultIgnore},
    {QLatin1String("&Yes"), rt::ResultYes},
    {QLatin1String("&No"), rt::ResultNo},
    {QLatin1String("&Cancel"), rt::ResultCancel},
    {QLatin1String("&Ok"), rt::ResultOk},
}};

const QColor WindowGrey(224, 224, 224);
const QColor ButtonGrey(192, 192, 192);
const QString DesignFont = QStringLiteral("Book Antiqua");

// The four icons share one square; the caller shows at most one of them.
rt::Image* designIcon(rt::Form* form, const QString& name, const QString& picture) {
    auto* image = new rt::Image(form, name);
    image->move(120, 120, 480, 480);
    image->setPicture(QIcon(QStringLiteral(":/message_box/%1").arg(picture)));
    return image;
}
} // namespace

frmMsgBox::frmMsgBox()
    : rt::Form(QStringLiteral("frmMsgBox")), lblMsg(new rt::Label(this, QStringLiteral("lblMsg"))),
      cmdAction(this, QStringLiteral("cmdAction")) {
    setCaption(QStringLiteral("Message Box"));
    setBackColor(WindowGrey);
    setClientSize(3090, 1440);
    setKeyPreview(true);

    lblMsg->setCaption(QStringLiteral("Message Box"));
    lblMsg->move(960, 120, 1140, 255);
    lblMsg->setFontName(DesignFont);
    lblMsg->setFontSize(9.75);
    lblMsg->setForeColor(Qt::black);
    lblMsg->setBackColor(WindowGrey);

    rt::CommandButton* action = cmdAction.design(0);
    action->setCaption(QStringLiteral("&Abort"));
    action->move(240, 840, 855, 315);
    action->setFontName(DesignFont);
    action->setFontSize(9);
    action->setFontBold(true);
    action->setBackColor(ButtonGrey);
    cmdAction.onClick([this](std::int16_t index) { cmdAction_Click(index); });

    imgE = designIcon(this, QStringLiteral("imgE"), QStringLiteral("exclamation"));
    imgI = designIcon(this, QStringLiteral("imgI"), QStringLiteral("information"));
    imgC = designIcon(this, QStringLiteral("imgC"), QStringLiteral("critical"));
    imgQ = designIcon(this, QStringLiteral("imgQ"), QStringLiteral("question"));
}

QString frmMsgBox::buttonCaption(rt::MsgBoxResultCode code) {
    for (const CaptionResult& entry : Captions) {
        if (entry.code == code) {
            return entry.caption;
        }
    }
    rt::raise(rt::desc::InvalidProcedureCall);
}

void frmMsgBox::Form_Load() {
    // Whatever the rescaling leaves undone keeps its design value; the layout works from there.
    rt::step([this] { modReso::ResizeControls(*this); });
}

void frmMsgBox::SetResultFromCaption(std::int16_t Index) {
    const QString caption = cmdAction[Index].caption();
    for (const CaptionResult& entry : Captions) {
        if (caption == entry.caption) {
            modMain::MsgBoxResult = entry.code;
            return;
        }
    }
}

void frmMsgBox::cmdAction_Click(std::int16_t Index) {
    SetResultFromCaption(Index);
    unload(rt::UnloadByCode);
}

void frmMsgBox::Form_KeyPress(int& keyAscii) {
    if (keyAscii == 27 && cmdAction.ubound() == 0) {
        cmdAction_Click(0);
    }
}

void frmMsgBox::Form_QueryUnload(bool& cancel, rt::UnloadReason reason) {
    if (reason == rt::UnloadByCode) {
        return;
    }
    // Closing a one-button box counts as pressing its button; a box that asks a question
    // waits for an answer.
    if (cmdAction.ubound() == 0) {
        SetResultFromCaption(0);
    } else {
        cancel = true;
    }
}

} // namespace tolvar
