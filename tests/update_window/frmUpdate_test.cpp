#include "message_box/frmMsgBox.h"
#include "platform/BrowseFolder.h"
#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"
#include "update_window/frmUpdate.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolvar;
using namespace Qt::Literals::StringLiterals;

// Failure messages show texts as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A child that runs under the name the program looks for, as a product's helper would.
pid_t startNamed(const char* name) {
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("sleep", name, "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Until exec has run, the child still carries this program's name.
    const QString cmdline = u"/proc/%1/cmdline"_s.arg(pid);
    for (int i = 0; i < 500 && !readFile(cmdline).startsWith(name); ++i) {
        QTest::qWait(2);
    }
    return pid;
}

bool endedBySigkill(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// A product's directory as the tree below it: folders end in "/", files carry their content.
const QStringList Old = {u"Norvik/"_s, u"Norvik/agent.cfg=old agent"_s,
                         u"Norvik/obsolete.dll=old"_s};
const QStringList New = {u"Norvik/"_s, u"Norvik/agent.cfg=new agent"_s, u"Norvik/bin/"_s,
                         u"Norvik/bin/tool.dat=new tool"_s};

QStringList tree(const QString& product) {
    QStringList found;
    QDirIterator it(product, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        found << QDir(product).relativeFilePath(entry.filePath()) +
                     (entry.isDir() ? u"/"_s
                                    : u"="_s + QString::fromUtf8(readFile(entry.filePath())));
    }
    found.sort();
    return found;
}

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        writeFile(programDir + u"/Norvik/agent.cfg"_s, "new agent");
        writeFile(programDir + u"/Norvik/bin/tool.dat"_s, "new tool");
        rt::app::setExecutableDirectoryForTesting(programDir);
        for (const QString& product : {lumeo, vantro}) {
            writeFile(product + u"/Norvik/agent.cfg"_s, "old agent");
            writeFile(product + u"/Norvik/obsolete.dll"_s, "old");
        }
        // Every box in the order shown: the standard box is answered at once with OK.
        rt::setStandardMessageBoxHook(
            [this](const QString& prompt, int style, const QString& caption) {
                boxes << u"standard %1 %2: %3"_s.arg(QString::number(style), caption, prompt);
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

    // Does `act`; the program's own box that comes meanwhile, if one does, is recorded and
    // answered with its button `answer`.
    void answering(int answer, const std::function<void()>& act) {
        const testsupport::ModalAnswer modal([this, answer](QWidget* shown) {
            auto* box = qobject_cast<frmMsgBox*>(shown);
            ASSERT_NE(box, nullptr);
            QString icon;
            for (const rt::Image* image : {box->imgC, box->imgQ, box->imgE, box->imgI}) {
                icon += image->widget()->isVisibleTo(box) ? image->name() : QString();
            }
            boxes << u"own %1 %2: %3"_s.arg(icon, box->windowTitle(), box->lblMsg->caption());
            QTest::mouseClick(box->findChild<QPushButton*>(u"cmdAction_%1"_s.arg(answer)),
                              Qt::LeftButton);
        });
        act();
    }

    void click(const QString& name, int answer = 0) {
        answering(answer, [&] { QTest::mouseClick(widget(name), Qt::LeftButton); });
    }

    QWidget* widget(const QString& name) { return window.findChild<QWidget*>(name); }

    // Points the registry at a file holding the two products' installation directories.
    void useInstallPaths(const QString& lumeoPath, const QString& vantroPath) {
        const QString file = sandbox.filePath(u"registry.reg"_s);
        writeFile(
            file,
            u"Windows Registry Editor Version 5.00\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Lumeo]\r\n\"InstallPath\"=\"%1\"\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Vantro]\r\n\"InstallPath\"=\"%2\"\r\n"_s
                .arg(lumeoPath, vantroPath)
                .toUtf8());
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(file));
    }

    void expectIdleAfterRun() {
        EXPECT_FALSE(window.lblProg->isVisible());
        EXPECT_EQ(window.focusWidget(), widget(u"cmdUpdate"_s));
    }

    QTemporaryDir sandbox;
    const QString programDir = sandbox.filePath(u"program"_s);
    const QString lumeo = sandbox.filePath(u"products/Lumeo"_s);
    const QString vantro = sandbox.filePath(u"products/Vantro"_s);
    QStringList boxes;
    frmUpdate window;
};

TEST_F(UpdateWindow, TabsInTheDesignOrderSkippingTheDisabledBrowseButtons) {
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(QApplication::focusWidget(), widget(u"txtDataDir_0"_s));
    for (const char* next :
         {"cmdUpdate", "cmdexit", "chkPrd_0", "chkPrd_1", "txtDataDir_1", "txtDataDir_0"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), widget(QString::fromLatin1(next))) << next;
    }
}

TEST_F(UpdateWindow, TheCheckStopsAtTheFirstProblemBeforeAnythingIsTouched) {
    const QString missing = sandbox.filePath(u"no such dir"_s);
    click(u"cmdUpdate"_s);
    window.chkPrd[0].setValue(1);
    choose(1, vantro);
    click(u"cmdUpdate"_s);
    choose(0, lumeo);
    choose(1, missing);
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes,
              (QStringList{u"standard 64 TolvarNorvikUpdater: Please select a product to update."_s,
                           u"standard 64 TolvarNorvikUpdater: Please enter path of Lumeo"_s,
                           u"standard 64 TolvarNorvikUpdater: Folder not exists "_s + missing}));
    EXPECT_EQ(tree(lumeo), Old);
    EXPECT_EQ(tree(vantro), Old);
}

// The run ends the products' helpers, replaces or copies each ticked row in order, and drops
// every input that arrives meanwhile, so no second run starts inside it.
TEST_F(UpdateWindow, ARunEndsTheHelpersAndUpdatesEachRowWhileTakingNoInput) {
    const pid_t agent = startNamed("norvikAgent.exe");
    const pid_t node = startNamed("C:\\Tools\\NODE.EXE");
    const QString fresh = sandbox.filePath(u"products/Fresh"_s);
    QDir().mkpath(fresh);
    choose(0, lumeo);
    choose(1, fresh);
    // Fires at the run's first yield.
    QTimer::singleShot(0, &window, [this] {
        QTest::mouseClick(widget(u"cmdUpdate"_s), Qt::LeftButton);
        QTest::keyClicks(widget(u"txtDataDir_0"_s), u"xyz"_s);
        QTest::mouseClick(widget(u"chkPrd_0"_s), Qt::LeftButton);
    });
    click(u"cmdUpdate"_s);
    QTest::qWait(100);
    EXPECT_EQ(boxes, QStringList{u"own imgI TolvarNorvikUpdater: [Lumeo] Update Successfully.\r\n"
                                 "[Vantro] Update Successfully."_s});
    EXPECT_EQ(tree(lumeo), New);
    EXPECT_EQ(tree(fresh), New);
    EXPECT_EQ(window.chkPrd[0].value(), 1);
    expectIdleAfterRun();
    QTest::keyClicks(widget(u"txtDataDir_0"_s), u"x"_s);
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo + u"x"_s) << "the window takes input again";

    EXPECT_TRUE(endedBySigkill(agent));
    EXPECT_TRUE(endedBySigkill(node));
}

TEST_F(UpdateWindow, AFailingRunIsReportedUnderItsNameAndLeavesTheRowItFailedOnAsItWas) {
    const struct {
        std::function<void()> provoke;
        QString report;
        QStringList lumeoAfter, vantroAfter;
    } cases[] = {
        {[] { platform::testing::failCopyAfter(1, "Disk full"); }, u"Disk full"_s, Old, Old},
        {[this] { writeFile(vantro + u"/Norvik.tolvar-new"_s, "someone else's"); },
         u"File already exists: '%1/Norvik.tolvar-new'"_s.arg(vantro), New,
         QStringList{u"Norvik.tolvar-new=someone else's"_s} + Old},
        {[this] { QDir(programDir + u"/Norvik"_s).removeRecursively(); },
         u"Path not found: '%1/Norvik'"_s.arg(programDir), New,
         QStringList{u"Norvik.tolvar-new=someone else's"_s} + Old}};
    // Each run starts from what the one before left.
    for (const auto& c : cases) {
        c.provoke();
        choose(0, lumeo);
        choose(1, vantro);
        boxes.clear();
        click(u"cmdUpdate"_s);
        EXPECT_EQ(boxes, QStringList{u"own imgE UpdateNorvikOnMachine: "_s + c.report});
        EXPECT_EQ(tree(lumeo), c.lumeoAfter);
        EXPECT_EQ(tree(vantro), c.vantroAfter);
        expectIdleAfterRun();
        platform::testing::clearInjectedFailures();
    }
}

TEST_F(UpdateWindow, TickingTakesTheRegistrysDirectoryAndUntickingEmptiesTheRow) {
    // Up to two trailing separators go; a network share is never taken.
    const std::pair<QString, QString> cases[] = {{u"/opt/Lumeo//"_s, u"/opt/Lumeo"_s},
                                                 {u"/opt/Lumeo///"_s, u"/opt/Lumeo/"_s},
                                                 {u"//server/share"_s, QString()},
                                                 {u"/"_s, QString()},
                                                 {QString(), QString()}};
    for (const auto& [stored, shown] : cases) {
        useInstallPaths(stored, u"/opt/Vantro"_s);
        window.chkPrd[0].setValue(0);
        window.chkPrd[0].setValue(1);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << stored.toStdString();
    }
    EXPECT_TRUE(window.cmdDataDir[0].isEnabled());
    EXPECT_EQ(ProductKey, u"Lumeo"_s);
    click(u"chkPrd_1"_s);
    EXPECT_EQ(window.txtDataDir[1].text(), u"/opt/Vantro"_s);
    EXPECT_EQ(ProductKey, u"Vantro"_s);

    QTest::keyClicks(widget(u"txtDataDir_0"_s), u"/typed"_s);
    click(u"chkPrd_0"_s);
    EXPECT_TRUE(window.txtDataDir[0].text().isEmpty());
    EXPECT_FALSE(window.cmdDataDir[0].isEnabled());
    EXPECT_EQ(ProductKey, u"Vantro"_s) << "unticking does not change the key";

    qunsetenv("TOLVAR_REGISTRY");
    click(u"chkPrd_0"_s);
    EXPECT_TRUE(window.txtDataDir[0].text().isEmpty()) << "no registry file, no directory";
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(UpdateWindow, BrowsingReplacesTheDirectoryUnlessCancelledOrFailing) {
    choose(0, u"/typed"_s);
    const std::pair<QString, QString> answers[] = {{QString(), u"/typed"_s},
                                                   {u"/srv/picked/"_s, u"/srv/picked"_s},
                                                   {u"/srv/other"_s, u"/srv/other"_s},
                                                   {u"/"_s, QString()}};
    for (const auto& [answer, shown] : answers) {
        modAPIs::testing::setNextDirectory(answer);
        click(u"cmdDataDir_0"_s);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << answer.toStdString();
    }
    window.txtDataDir.unload(0);
    modAPIs::testing::setNextDirectory(u"/srv/picked"_s);
    click(u"cmdDataDir_0"_s);
    EXPECT_TRUE(boxes.isEmpty()) << "a failing browse is silent";
}

// A click handler reports a failure in the standard box and goes on with the next statement,
// where a failing test counts as passed. Taking a row's directory box away makes every step
// that touches it fail.
TEST_F(UpdateWindow, AFailingClickReportsEachFailureAndGoesOn) {
    const QString missingElement =
        u"standard 0 TolvarNorvikUpdater: Control array element doesn't exist"_s;
    window.txtDataDir.unload(1);
    click(u"chkPrd_1"_s);
    EXPECT_TRUE(window.cmdDataDir[1].isEnabled()) << "the step after the failing one ran";
    EXPECT_EQ(ProductKey, u"Vantro"_s);
    // Emptying, filling, two separator tests with their trims, the share test and its reset.
    EXPECT_EQ(boxes, QStringList(8, missingElement));

    boxes.clear();
    click(u"cmdUpdate"_s);
    EXPECT_EQ(boxes,
              (QStringList{missingElement,
                           u"standard 64 TolvarNorvikUpdater: Please enter path of Vantro"_s}))
        << "the failing emptiness test counts as passed";
    EXPECT_EQ(tree(vantro), Old);
}

TEST_F(UpdateWindow, ExitAsksAndNoKeepsTheWindowWhileTheCloseBoxClosesWithoutAsking) {
    choose(0, lumeo);
    click(u"cmdexit"_s, 1);
    EXPECT_EQ(boxes, QStringList{u"own imgQ TolvarNorvikUpdater: Do you really want to Exit?"_s});
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo);

    answering(1, [this] {
        EXPECT_TRUE(window.close());
        QTest::qWait(300);
    });
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(UpdateWindow, ExitAnsweredYesEndsTheProgram) {
    EXPECT_EXIT(
        {
            // The child built a sandbox of its own and never returns to remove it.
            sandbox.remove();
            click(u"cmdexit"_s, 0);
            std::_Exit(7);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
