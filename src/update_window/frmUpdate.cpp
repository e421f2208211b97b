#include "update_window/frmUpdate.h"

#include "diagnostics/ExitStatus.h"
#include "diagnostics/LogErrorLAN.h"
#include "display/modReso.h"
#include "message_box/ShowMsgBox.h"
#include "platform/BrowseFolder.h"
#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/MessageBoxStyle.h"
#include "runtime/Responsive.h"
#include "runtime/StandardMessageBox.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"
#include "runtime/core/Resume.h"
#include "update_engine/UpdateEngine.h"

#include <QDir>
#include <QFile>

#include <filesystem>

namespace tolvar {

QString ProductKey;

namespace {
const QColor LightGreen(192, 255, 192);
const QColor Grey(192, 192, 192);
const QString DesignFont = QStringLiteral("Book Antiqua");

struct Placement {
    float left, top, width, height;
    int tabIndex;
};

void place(rt::Control& control, const Placement& p) {
    control.move(p.left, p.top, p.width, p.height);
    control.setTabIndex(p.tabIndex);
}

// The click handlers report a failure in the standard box and go on with the next statement.
void reportInStandardBox(const std::string& description) {
    rt::standardMessageBox(QString::fromStdString(description), rt::OkOnly);
}

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void useDesignFont(rt::TextControl& control, double points, bool bold) {
    control.setFontName(DesignFont);
    control.setFontSize(points);
    control.setFontBold(bold);
}
} // namespace

frmUpdate::frmUpdate()
    : rt::Form(QStringLiteral("frmUpdate")), chkPrd(this, QStringLiteral("chkPrd")),
      txtDataDir(this, QStringLiteral("txtDataDir")),
      cmdDataDir(this, QStringLiteral("cmdDataDir")) {
    setCaption(QStringLiteral("Tolvar Norvik Utility Updater"));
    setWindowIcon(QIcon(QStringLiteral(":/update_window/updater")));
    setBackColor(LightGreen);
    setClientSize(8160, 1935);
    createControls();
    connect(cmdUpdate, &rt::Control::Click, this, &frmUpdate::cmdUpdate_Click);
    connect(cmdexit, &rt::Control::Click, this, &frmUpdate::cmdexit_Click);
    chkPrd.onClick([this](std::int16_t index) { chkPrd_Click(index); });
    cmdDataDir.onClick([this](std::int16_t index) { cmdDataDir_Click(index); });
}

void frmUpdate::createControls() {
    lblDataDir = new rt::Label(this, QStringLiteral("lblDataDir"));
    lblDataDir->setCaption(QStringLiteral("Installation Directory"));
    useDesignFont(*lblDataDir, 9.75, true);
    lblDataDir->setForeColor(Qt::black);

    static const QString Products[] = {QStringLiteral("Lumeo"), QStringLiteral("Vantro")};
    const QIcon folder(QStringLiteral(":/update_window/folder-open"));
    for (int row = 0; row < 2; ++row) {
        rt::CheckBox* check = chkPrd.design(row);
        check->setCaption(Products[row]);
        useDesignFont(*check, 11.25, true);
        check->setForeColor(Qt::black);
        check->setBackColor(LightGreen);

        rt::TextBox* text = txtDataDir.design(row);
        useDesignFont(*text, 8.25, false);
        text->setBackColor(Qt::white);

        rt::CommandButton* browse = cmdDataDir.design(row);
        useDesignFont(*browse, 9.75, true);
        browse->setBackColor(Grey);
        browse->setPicture(folder);
        browse->setEnabled(false);
    }

    lblProg = new rt::Label(this, QStringLiteral("lblProg"));
    lblProg->setCaption(QStringLiteral("Installation Directory"));
    useDesignFont(*lblProg, 9.75, true);
    lblProg->setForeColor(QColor(0, 0, 255));
    // It grows with its text, so "Updating <product> ..." is always readable in full.
    lblProg->setAutoSize(true);
    lblProg->setVisible(false);

    cmdUpdate = new rt::CommandButton(this, QStringLiteral("cmdUpdate"));
    cmdUpdate->setCaption(QStringLiteral("&Update >>"));
    useDesignFont(*cmdUpdate, 9, true);
    cmdUpdate->setBackColor(QColor(128, 255, 128));

    cmdexit = new rt::CommandButton(this, QStringLiteral("cmdexit"));
    cmdexit->setCaption(QStringLiteral("E&xit"));
    useDesignFont(*cmdexit, 9, true);
    cmdexit->setBackColor(QColor(255, 192, 192));

    // Tab indexes are applied lowest first, so each lands where the design puts it.
    const std::pair<rt::Control*, Placement> layout[] = {
        {lblDataDir, {240, 120, 1905, 270, 0}},     {&txtDataDir[0], {1440, 480, 6135, 330, 1}},
        {cmdUpdate, {6840, 1440, 1215, 315, 2}},    {cmdexit, {5520, 1440, 1215, 315, 3}},
        {&cmdDataDir[0], {7680, 480, 330, 330, 4}}, {&chkPrd[0], {240, 480, 1095, 285, 5}},
        {&chkPrd[1], {240, 960, 1095, 285, 6}},     {&txtDataDir[1], {1440, 960, 6135, 330, 7}},
        {&cmdDataDir[1], {7680, 960, 330, 330, 8}}, {lblProg, {1440, 1440, 1905, 270, 9}},
    };
    for (const auto& [control, placement] : layout) {
        place(*control, placement);
    }
    // Sized by its text: the stand-in face runs wider than the design's, and the rescaling
    // grows fonts by the mean ratio but heights by the vertical one, which on a wide screen
    // would cut the caption's descenders.
    lblDataDir->setAutoSize(true);
}

void frmUpdate::Form_Load() {
    try {
        rt::app::failureInjectionPoint("Form_Load");
        modReso::InitScrReso();
        modReso::ResizeControls(*this);
    } catch (const rt::Failure& failure) {
        const QString description = QString::fromStdString(failure.description());
        // Started by hand, the user is told; started from a script with a command line, the
        // failure goes to the log the command line names.
        if (rt::app::command().isEmpty()) {
            modMain::ShowMsgBox(this, description, rt::Exclamation, QStringLiteral("Form_Load"));
            rt::app::end(exitstatus::LoadFailed);
        }
        modMain::LogErrorLAN(QStringLiteral("Error:Load:") + description);
        // "[END]" closes the log and ends the program here, with the load-failed status (or,
        // when the log cannot be written, the log-failed one): nothing after this line runs.
        modMain::LogErrorLAN(QStringLiteral("[END]"));
    }
}

void frmUpdate::cmdexit_Click() {
    if (modMain::ShowMsgBox(this, QStringLiteral("Do you really want to Exit?"),
                            rt::YesNo | rt::Question | rt::DefaultButton2) == rt::ResultYes) {
        rt::app::end(exitstatus::Normal);
    }
}

void frmUpdate::chkPrd_Click(std::int16_t Index) {
    // Looked up afresh in every statement, as each statement names the box anew.
    const auto directory = [&]() -> rt::TextBox& { return txtDataDir[Index]; };
    rt::step([&] { directory().setText(QString()); }, reportInStandardBox);
    rt::step([&] { cmdDataDir[Index].setEnabled(chkPrd[Index].value() == 1); },
             reportInStandardBox);
    if (rt::passes([&] { return chkPrd[Index].value() != 1; }, reportInStandardBox)) {
        return;
    }
    rt::step(
        [&] {
            if (Index == 0) {
                ProductKey = QStringLiteral("Lumeo");
            } else if (Index == 1) {
                ProductKey = QStringLiteral("Vantro");
            }
        },
        reportInStandardBox);
    rt::step(
        [&] {
            directory().setText(
                QString::fromStdString(engine::installDirectory(ProductKey.toStdString())));
        },
        reportInStandardBox);
}

void frmUpdate::cmdDataDir_Click(std::int16_t Index) {
    try {
        const QString folder = modAPIs::BrowseFolder(this, true, true);
        if (folder.isEmpty()) {
            return;
        }
        txtDataDir[Index].setText(folder.endsWith(QDir::separator()) ? folder.chopped(1) : folder);
    } catch (const rt::Failure&) {
        // The box keeps the text it had; there is nothing to tell the user.
    }
}

void frmUpdate::cmdUpdate_Click() {
    // Input stays blocked from the check to the end of the run, so no second run starts
    // inside this one and no row is copied to a directory that did not pass the check.
    if (running_) {
        return;
    }
    running_ = true;
    const rt::InputBlock block(this);
    const auto say = [](const QString& text) { rt::standardMessageBox(text, rt::Information); };

    std::int16_t chosen = 0;
    bool ended = false;
    for (int i = 0; i <= chkPrd.ubound() && !ended; ++i) {
        if (!rt::passes([&] { return chkPrd[i].value() == 1; }, reportInStandardBox)) {
            continue;
        }
        if (rt::passes([&] { return txtDataDir[i].text().isEmpty(); }, reportInStandardBox)) {
            rt::step([&] { say(QStringLiteral("Please enter path of ") + chkPrd[i].caption()); },
                     reportInStandardBox);
            ended = true;
        } else if (rt::passes(
                       [&] { return !platform::folderExists(nativePath(txtDataDir[i].text())); },
                       reportInStandardBox)) {
            rt::step([&] { say(QStringLiteral("Folder not exists ") + txtDataDir[i].text()); },
                     reportInStandardBox);
            ended = true;
        } else {
            rt::step([&] { chosen = rt::addInt16(chosen, 1); }, reportInStandardBox);
        }
    }
    if (!ended) {
        if (rt::passes([&] { return chosen == 0; }, reportInStandardBox)) {
            rt::step([&] { say(QStringLiteral("Please select a product to update.")); },
                     reportInStandardBox);
        } else {
            rt::step([&] { UpdateNorvikOnMachine(); }, reportInStandardBox);
        }
    }
    running_ = false;
}

void frmUpdate::UpdateNorvikOnMachine() {
    try {
        const std::filesystem::path source =
            engine::sourceFolder(nativePath(rt::app::executableDirectory()));
        engine::endHelpers(rt::app::doEvents);
        lblProg->setCaption(QStringLiteral("Please Wait ..."));
        lblProg->setVisible(true);
        rt::app::doEvents();

        QString result;
        for (int i = 0; i <= chkPrd.ubound(); ++i) {
            if (chkPrd[i].value() != 1) {
                continue;
            }
            const QString product = chkPrd[i].caption();
            lblProg->setCaption(QStringLiteral("Updating ") + product + QStringLiteral(" ..."));
            rt::app::doEvents();
            const std::filesystem::path target =
                engine::targetFolder(nativePath(txtDataDir[i].text()));
            bool updated = false;
            rt::runResponsively([&] { updated = engine::replaceNorvik(source, target); });
            const QString outcome = updated ? QStringLiteral("] Update Successfully.")
                                            : QStringLiteral("] Error Updating Norvik Utility.");
            if (!result.isEmpty()) {
                result += QStringLiteral("\r\n");
            }
            result += QLatin1Char('[') + product + outcome;
        }
        modMain::ShowMsgBox(this, result, rt::Information);
    } catch (const rt::Failure& failure) {
        modMain::ShowMsgBox(this, QString::fromStdString(failure.description()), rt::Exclamation,
                            QStringLiteral("UpdateNorvikOnMachine"));
    }
    lblProg->setVisible(false);
    cmdUpdate->setFocus();
}

} // namespace tolvar
