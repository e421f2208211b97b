#include "message_box/frmMsgBox.h"
#include "platform/BrowseFolder.h"
#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"
#include "support/SandboxFiles.h"
#include "update_window/frmUpdate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace tolvar;
using namespace Qt::Literals::StringLiterals;

namespace {

using tolvar::testsupport::readFile;
using tolvar::testsupport::writeFile;

// A product's own file, which tells whose folder it is in.
QByteArray agentOf(const QString& product) {
    return readFile(product + u"/Norvik/agent.cfg"_s);
}

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        writeFile(programDir + u"/Norvik/agent.cfg"_s, "new agent");
        rt::app::setExecutableDirectoryForTesting(programDir);
        writeFile(lumeo + u"/Norvik/agent.cfg"_s, "old agent");
        writeFile(vantro + u"/Norvik/agent.cfg"_s, "old agent");
        // Every box in the order shown: the standard box is answered at once with OK.
        rt::setStandardMessageBoxHook([this](const QString& prompt, int, const QString&) {
            boxes << u"standard: "_s + prompt;
            return 1;
        });
        window.showForm();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void TearDown() override {
        qunsetenv("TOLVAR_REGISTRY");
        rt::setStandardMessageBoxHook(nullptr);
        platform::testing::clearInjectedFailures();
    }

    void choose(int row, const QString& directory) {
        window.chkPrd[row].setValue(1);
        window.txtDataDir[row].setText(directory);
    }

    // Clicks the control `name`; the program's own box that comes meanwhile, if one does, is
    // recorded and answered with its button `answer`.
    void click(const QString& name, int answer = 0) {
        const testsupport::ModalAnswer modal([this, answer](QWidget* shown) {
            auto* box = qobject_cast<frmMsgBox*>(shown);
            ASSERT_NE(box, nullptr);
            boxes << u"own %1: %2"_s.arg(box->windowTitle(), box->lblMsg->caption());
            QTest::mouseClick(box->findChild<QPushButton*>(u"cmdAction_%1"_s.arg(answer)),
                              Qt::LeftButton);
        });
        QTest::mouseClick(widget(name), Qt::LeftButton);
    }

    QWidget* widget(const QString& name) { return window.findChild<QWidget*>(name); }

    QTemporaryDir sandbox;
    const QString programDir = sandbox.filePath(u"program"_s);
    const QString lumeo = sandbox.filePath(u"products/Lumeo"_s);
    const QString vantro = sandbox.filePath(u"products/Vantro"_s);
    QStringList boxes;
    frmUpdate window;
};

TEST_F(UpdateWindow, TheCheckStopsAtTheFirstProblemBeforeAnythingIsTouched) {
    const QString missing = sandbox.filePath(u"no such dir"_s);
    click(u"cmdUpdate"_s);
    window.chkPrd[0].setValue(1);
    choose(1, vantro);
    click(u"cmdUpdate"_s);
    choose(0, lumeo);
    choose(1, missing);
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, (QStringList{u"standard: Please select a product to update."_s,
                                  u"standard: Please enter path of Lumeo"_s,
                                  u"standard: Folder not exists "_s + missing}));
    EXPECT_EQ(agentOf(lumeo), "old agent");
    EXPECT_EQ(agentOf(vantro), "old agent");
}

// The run ends the products' helpers, replaces each ticked row's folder and drops every input
// that arrives meanwhile.
TEST_F(UpdateWindow, ARunEndsTheHelpersAndUpdatesEachRowWhileTakingNoInput) {
    QProcess helper;
    helper.start(u"bash"_s, {u"-c"_s, u"exec -a norvikAgent.exe sleep 60"_s});
    // Until exec has run, the helper still carries the shell's name.
    const QString cmdline = u"/proc/%1/cmdline"_s.arg(helper.processId());
    for (int i = 0; i < 500 && !readFile(cmdline).startsWith("norvikAgent.exe"); ++i) {
        QTest::qWait(2);
    }
    choose(0, lumeo);
    choose(1, vantro);
    // Fires at the run's first yield.
    QTimer::singleShot(0, &window, [this] {
        QTest::mouseClick(widget(u"chkPrd_0"_s), Qt::LeftButton);
        QTest::keyClicks(widget(u"txtDataDir_0"_s), u"xyz"_s);
    });
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, QStringList{u"own TolvarNorvikUpdater: [Lumeo] Update Successfully.\r\n"
                                 "[Vantro] Update Successfully."_s});
    EXPECT_EQ(agentOf(lumeo), "new agent");
    EXPECT_EQ(agentOf(vantro), "new agent");
    QTest::keyClicks(widget(u"txtDataDir_0"_s), u"x"_s);
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo + u"x"_s) << "the window takes input again";
    helper.waitForFinished(5000);
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit) << "the helper was ended";
}

TEST_F(UpdateWindow, AFailingRunIsReportedUnderItsNameAndStopsWithEveryRowAsItWas) {
    platform::testing::failCopyAfter(0, "Disk full");
    choose(0, lumeo);
    choose(1, vantro);
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, QStringList{u"own UpdateNorvikOnMachine: Disk full"_s});
    EXPECT_EQ(agentOf(lumeo), "old agent");
    EXPECT_EQ(agentOf(vantro), "old agent");
    EXPECT_FALSE(window.lblProg->isVisible());
}

TEST_F(UpdateWindow, TickingTakesTheRegistrysDirectoryAndUntickingEmptiesTheRow) {
    const QString registry = sandbox.filePath(u"registry.reg"_s);
    qputenv("TOLVAR_REGISTRY", QFile::encodeName(registry));
    // A network share is never taken; up to two trailing separators go.
    const std::pair<QString, QString> cases[] = {{u"//server/share"_s, QString()},
                                                 {u"/opt/Lumeo///"_s, u"/opt/Lumeo/"_s},
                                                 {u"/opt/Lumeo//"_s, u"/opt/Lumeo"_s}};
    for (const auto& [stored, shown] : cases) {
        writeFile(registry,
                  u"Windows Registry Editor Version 5.00\r\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Lumeo]\r\n\"InstallPath\"=\"%1\"\r\n"
                  "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Vantro]\r\n"
                  "\"InstallPath\"=\"/opt/Vantro\"\r\n"_s.arg(stored)
                      .toUtf8());
        window.chkPrd[0].setValue(0);
        click(u"chkPrd_0"_s);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << stored.toStdString();
    }
    EXPECT_TRUE(window.cmdDataDir[0].isEnabled());
    click(u"chkPrd_1"_s);
    EXPECT_EQ(window.txtDataDir[1].text(), u"/opt/Vantro"_s);

    click(u"chkPrd_0"_s);
    EXPECT_TRUE(window.txtDataDir[0].text().isEmpty());
    EXPECT_FALSE(window.cmdDataDir[0].isEnabled());
}

TEST_F(UpdateWindow, BrowsingReplacesTheDirectoryUnlessCancelled) {
    choose(0, u"/typed"_s);
    const std::pair<QString, QString> answers[] = {{QString(), u"/typed"_s},
                                                   {u"/srv/picked/"_s, u"/srv/picked"_s},
                                                   {u"/srv/other"_s, u"/srv/other"_s}};
    for (const auto& [answer, shown] : answers) {
        modAPIs::testing::setNextDirectory(answer);
        click(u"cmdDataDir_0"_s);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << answer.toStdString();
    }
}

TEST_F(UpdateWindow, ExitAsksAndOnlyYesEndsTheProgram) {
    click(u"cmdexit"_s, 1);
    EXPECT_EQ(boxes, QStringList{u"own TolvarNorvikUpdater: Do you really want to Exit?"_s});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EXIT(
        {
            // The child built a sandbox of its own and never returns to remove it.
            sandbox.remove();
            click(u"cmdexit"_s, 0);
            std::_Exit(7);
        },
        ::testing::ExitedWithCode(0), "");
}

// Started by hand, the user is told why the window could not load (started with a command line,
// the built program logs it instead).
TEST(UpdateWindowLoad, AFailureIsShownAndEndsTheProgram) {
    EXPECT_EXIT(
        {
            qputenv("TOLVAR_INJECT_FAILURE", "Form_Load:Overflow");
            const testsupport::ModalAnswer answer([](QWidget* shown) {
                auto* box = qobject_cast<frmMsgBox*>(shown);
                std::fprintf(stderr, "%s: %s\n", qPrintable(box->windowTitle()),
                             qPrintable(box->lblMsg->caption()));
                QTest::mouseClick(box->findChild<QPushButton*>(u"cmdAction_0"_s), Qt::LeftButton);
            });
            frmUpdate().showForm();
            std::_Exit(7);
        },
        ::testing::ExitedWithCode(1), "Form_Load: Overflow");
}

} // namespace
