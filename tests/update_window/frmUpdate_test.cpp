#include "message_box/frmMsgBox.h"
#include "platform/BrowseFolder.h"
#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/Screen.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"
#include "support/Sandbox.h"
#include "update_window/frmUpdate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <tuple>

using namespace tolvar;
using namespace Qt::Literals::StringLiterals;

namespace {

using namespace tolvar::testsupport;

// Answers the program's own message box with its button `button`, or with Enter when that is
// negative, after naming the box as "icon title: message" in `seen` and on standard error, where
// a death test's child can show it.
ModalAnswer answerOwnBox(int button, QStringList& seen) {
    return ModalAnswer([button, &seen](QWidget* shown) {
        auto* box = qobject_cast<frmMsgBox*>(shown);
        ASSERT_NE(box, nullptr);
        QString seenAs;
        for (const rt::Image* image : {box->imgE, box->imgI, box->imgC, box->imgQ}) {
            seenAs += image->widget()->isVisible() ? image->name() + u" "_s : QString();
        }
        seenAs += box->windowTitle() + u": "_s + box->lblMsg->caption();
        std::fprintf(stderr, "[%s]\n", qPrintable(seenAs));
        seen << seenAs;
        if (const QWidget* owner = box->parentWidget()) {
            const QPoint centre = owner->frameGeometry().center();
            EXPECT_NEAR(box->left() + box->width() / 2, rt::screen::fromPixelsX(centre.x()), 1);
            EXPECT_NEAR(box->top() + box->height() / 2, rt::screen::fromPixelsY(centre.y()), 1);
        }
        if (button < 0) {
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        } else {
            QTest::mouseClick(box->findChild<QPushButton*>(u"cmdAction_%1"_s.arg(button)),
                              Qt::LeftButton);
        }
    });
}

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        writeFile(programDir + u"/Norvik/agent.cfg"_s, "new agent");
        rt::app::setExecutableDirectoryForTesting(programDir);
        writeFile(lumeo + u"/Norvik/agent.cfg"_s, "old agent");
        writeFile(vantro + u"/Norvik/agent.cfg"_s, "old agent");
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(registry));
        // Every box in the order shown, the standard box with its style, which is answered at once
        // with OK.
        rt::setStandardMessageBoxHook([this](const QString& prompt, int style, const QString&) {
            boxes << u"standard %1: "_s.arg(style) + prompt;
            return 1;
        });
        window.showForm();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void TearDown() override {
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
        const ModalAnswer modal = answerOwnBox(answer, boxes);
        QTest::mouseClick(window.findChild<QWidget*>(name), Qt::LeftButton);
    }

    // The products' own files, which tell whose folder each is.
    QByteArray agents() const {
        return readFile(lumeo + u"/Norvik/agent.cfg"_s) + '|' +
               readFile(vantro + u"/Norvik/agent.cfg"_s);
    }

    QTemporaryDir sandbox;
    const QString programDir = sandbox.filePath(u"program"_s);
    const QString lumeo = sandbox.filePath(u"products/Lumeo"_s);
    const QString vantro = sandbox.filePath(u"products/Vantro"_s);
    const QString registry = sandbox.filePath(u"registry.reg"_s);
    QStringList boxes;
    frmUpdate window;
};

TEST_F(UpdateWindow, TheCheckStopsAtTheFirstProblemAndAFailedRunChangesNothing) {
    const QString missing = sandbox.filePath(u"no such dir"_s);
    click(u"cmdUpdate"_s);
    window.chkPrd[0].setValue(1);
    choose(1, missing);
    click(u"cmdUpdate"_s);
    choose(0, lumeo);
    click(u"cmdUpdate"_s);
    platform::testing::failCopyAfter(0, "Disk full");
    choose(1, vantro);
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, (QStringList{u"standard 64: Please select a product to update."_s,
                                  u"standard 64: Please enter path of Lumeo"_s,
                                  u"standard 64: Folder not exists "_s + missing,
                                  u"imgE UpdateNorvikOnMachine: Disk full"_s}));
    EXPECT_EQ(agents(), "old agent|old agent");
    EXPECT_FALSE(window.lblProg->isVisible());

    platform::testing::clearInjectedFailures();
    window.chkPrd[1].setValue(0);
    boxes.clear();
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, QStringList{u"imgI TolvarNorvikUpdater: [Lumeo] Update Successfully."_s})
        << "an unticked row is left out";
    EXPECT_EQ(agents(), "new agent|old agent");
}

// The run ends the products' helpers first, replaces each ticked row's folder, saying which,
// and drops every input that arrives meanwhile.
TEST_F(UpdateWindow, ARunEndsTheHelpersAndUpdatesEachRowWhileTakingNoInput) {
    HelperProcess agent(u"norvikAgent.exe"_s), agentW(u"norvikAgentW.exe"_s), node(u"Node.exe"_s);
    choose(0, lumeo);
    choose(1, vantro);
    QStringList progress;
    platform::testing::onReplaceStep([&](const char* step) {
        if (std::string_view(step) == "copy") {
            progress << window.lblProg->caption();
        }
    });
    // Fires at the run's first yield: the first helper has been ended, and no progress shows yet.
    QTimer::singleShot(0, &window, [this] {
        EXPECT_FALSE(window.lblProg->isVisible());
        QTest::mouseClick(window.chkPrd[0].widget(), Qt::LeftButton);
        EXPECT_FALSE(qobject_cast<QAbstractButton*>(window.chkPrd[0].widget())->isDown());
        QTest::keyClicks(window.txtDataDir[0].widget(), u"xyz"_s);
    });
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes, QStringList{u"imgI TolvarNorvikUpdater: [Lumeo] Update Successfully.\r\n"
                                 "[Vantro] Update Successfully."_s});
    EXPECT_EQ(progress, (QStringList{u"Updating Lumeo ..."_s, u"Updating Vantro ..."_s}));
    EXPECT_EQ(agents(), "new agent|new agent");
    QTest::keyClicks(window.txtDataDir[0].widget(), u"x"_s);
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo + u"x"_s) << "the window takes input again";
    EXPECT_TRUE(agent.ended() && agentW.ended() && node.ended());
}

// Unticking empties the row; a cancelled browse leaves it as it was. The browse button shows its
// folder picture at 16 x 15, and sits where the design put it scaled to the test's 1024 x 768
// screen.
TEST_F(UpdateWindow, ARowsDirectoryComesFromTheRegistryOrTheBrowser) {
    const auto* browse = window.findChild<QPushButton*>(u"cmdDataDir_1"_s);
    EXPECT_TRUE(!browse->icon().isNull() && browse->iconSize() == QSize(16, 15));
    EXPECT_NEAR(window.cmdDataDir[1].left(), 7680 * 1.28F, 1);
    EXPECT_NEAR(window.cmdDataDir[1].top(), 960 * 1.28F, 1);
    writeRegistry(registry, {{u"Lumeo"_s, u"/opt/Lumeo"_s}, {u"Vantro"_s, u"/opt/Vantro"_s}});
    click(u"chkPrd_1"_s);
    EXPECT_EQ(window.txtDataDir[1].text(), u"/opt/Vantro"_s);
    click(u"chkPrd_0"_s);
    const std::pair<QString, QString> answers[] = {{QString(), u"/opt/Lumeo"_s},
                                                   {u"/srv/picked/"_s, u"/srv/picked"_s},
                                                   {u"/srv/other"_s, u"/srv/other"_s}};
    for (const auto& [answer, shown] : answers) {
        modAPIs::testing::setNextDirectory(answer);
        click(u"cmdDataDir_0"_s);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << answer.toStdString();
    }
    click(u"chkPrd_0"_s);
    EXPECT_TRUE(window.txtDataDir[0].text().isEmpty());
    EXPECT_FALSE(window.cmdDataDir[0].isEnabled());
}

// The keyboard walks the design's order both ways, from the first text box, skipping what is
// disabled: the browse button of the unticked row.
TEST_F(UpdateWindow, TabAndShiftTabWalkTheDesignOrder) {
    window.cmdDataDir[0].setEnabled(true);
    QStringList order{u"txtDataDir_0"_s, u"cmdUpdate"_s, u"cmdexit"_s,      u"cmdDataDir_0"_s,
                      u"chkPrd_0"_s,     u"chkPrd_1"_s,  u"txtDataDir_1"_s, u"txtDataDir_0"_s};
    for (const Qt::KeyboardModifier direction : {Qt::NoModifier, Qt::ShiftModifier}) {
        QStringList seen{QApplication::focusWidget()->objectName()};
        while (seen.size() < order.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, direction);
            seen << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(seen, order);
        std::reverse(order.begin(), order.end());
    }
}

// Ending is at once and with status 0, which a test program would take for its own success, so
// each answer is given in a child; the child never returns to remove the sandbox it built. Enter
// answers No.
TEST_F(UpdateWindow, ExitAsksAndOnlyYesEndsTheProgram) {
    for (const auto& [answer, status] : {std::pair(-1, 3), std::pair(0, 0)}) {
        EXPECT_EXIT(
            {
                sandbox.remove();
                click(u"cmdexit"_s, answer);
                std::_Exit(window.isVisible() ? 3 : 4);
            },
            ::testing::ExitedWithCode(status),
            "\\[imgQ TolvarNorvikUpdater: Do you really want to Exit\\?\\]");
    }
}

// A load failure started by hand is shown; started with a command line, it goes to the log that
// names, at the drive's root, or a log that cannot be written is shown. Every case ends the
// process, so each runs in a death test's child, which runs this test again: it finds the
// parent's root in its environment and makes none of its own. The log is read back in the parent.
TEST(UpdateWindowLoad, AFailureIsShownOrLoggedAndEndsTheProgram) {
    std::optional<QTemporaryDir> temporary;
    if (qEnvironmentVariableIsEmpty("TOLVAR_ROOT")) {
        temporary.emplace();
        ASSERT_TRUE(temporary->isValid() && QDir(temporary->path()).mkpath(u"UpdLogs"_s) &&
                    QFile(temporary->filePath(u"UpdLogs/file"_s)).open(QIODevice::WriteOnly));
        qputenv("TOLVAR_ROOT", QFile::encodeName(temporary->path()));
    }
    QFile log(QDir(qEnvironmentVariable("TOLVAR_ROOT")).filePath(u"UpdLogs/PC07.log"_s));
    const std::tuple<const char*, const char*, int, QByteArray, const char*> cases[] = {
        {"x:y:PC07:UpdLogs:ignored", "x\r\ny\tz, lone\rreturn and\nfeed, [end] [END]", 1,
         "[START]\r\nError:Load:x;y  z, lone\rreturn and\nfeed, [end] [END]\r\n[END]\r\n", ""},
        {"", "Overflow", 1, "<no log>", "\\[imgE Form_Load: Overflow\\]"},
        {"x:y:PC07", "Overflow", 2, "<no log>", "imgE LogErrorLAN: Subscript out of range"},
        // ".." at the drive's root stays there, as on Windows; below it, ".." leaves the last
        // folder.
        {"x:y:PC07:../../UpdLogs/sub/..", "Overflow", 1,
         "[START]\r\nError:Load:Overflow\r\n[END]\r\n", ""},
        // A network path, which the stand-in for the drive does not have, and a folder on the
        // way that is a file.
        {"x:y:PC07:", "Overflow", 2, "<no log>", "imgE LogErrorLAN: Path not found"},
        {"x:y:PC07:UpdLogs/file", "Overflow", 2, "<no log>", "imgE LogErrorLAN: Path not found"}};
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("an earlier run's log, longer than this one\r\n");
    log.close();
    for (const auto& [command, failure, status, logged, shown] : cases) {
        EXPECT_EXIT(
            {
                qputenv("TOLVAR_INJECT_FAILURE", QByteArray("Form_Load:") + failure);
                rt::app::setCommandForTesting(QString::fromLatin1(command));
                QStringList seen;
                const ModalAnswer answer = answerOwnBox(0, seen);
                frmUpdate().showForm();
                std::_Exit(7);
            },
            ::testing::ExitedWithCode(status), shown)
            << command;
        EXPECT_EQ(log.open(QIODevice::ReadOnly) ? log.readAll() : "<no log>", logged) << command;
        log.remove();
    }
    if (temporary) {
        qunsetenv("TOLVAR_ROOT");
    }
}

} // namespace
