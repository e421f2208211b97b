#include "platform/BrowseFolder.h"
#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/StandardMessageBox.h"
#include "support/ModalAnswer.h"
#include "update_window/frmUpdate.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tolvar;

namespace {

struct StandardBoxCall {
    QString prompt;
    int style;
    QString caption;
};

// What the program's own message box showed, as the user saw it.
struct OwnBox {
    QString caption;
    QString message;
    bool exclamation = false;
};

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
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
    const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(pid);
    for (int i = 0; i < 500 && !readFile(cmdline).startsWith(name); ++i) {
        QTest::qWait(2);
    }
    return pid;
}

bool endedBySigkill(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class UpdateWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        programDir = sandbox.filePath(QStringLiteral("program"));
        writeFile(programDir + QStringLiteral("/Norvik/agent.cfg"), "new agent");
        writeFile(programDir + QStringLiteral("/Norvik/bin/tool.dat"), "new tool");
        rt::app::setExecutableDirectoryForTesting(programDir);
        lumeo = makeProduct(QStringLiteral("Lumeo"));
        vantro = makeProduct(QStringLiteral("Vantro"));
        rt::setStandardMessageBoxHook(
            [this](const QString& prompt, int style, const QString& caption) {
                standardBoxes.push_back({prompt, style, caption});
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

    QString makeProduct(const QString& name) {
        const QString dir = sandbox.filePath(QStringLiteral("products/") + name);
        writeFile(dir + QStringLiteral("/Norvik/agent.cfg"), "old agent");
        writeFile(dir + QStringLiteral("/Norvik/obsolete.dll"), "old");
        return dir;
    }

    void choose(int row, const QString& directory) {
        window.chkPrd[row].setValue(1);
        window.txtDataDir[row].setText(directory);
    }

    // Presses the update button and answers the program's own box, if one comes, with OK.
    std::optional<OwnBox> pressUpdate() {
        std::optional<OwnBox> seen;
        const testsupport::ModalAnswer answer([&seen](QWidget* box) {
            OwnBox shown;
            shown.caption = box->windowTitle();
            if (auto* label = box->findChild<rt::Label*>(QStringLiteral("lblMsg"))) {
                shown.message = label->caption();
            }
            if (auto* icon = box->findChild<QWidget*>(QStringLiteral("imgE"))) {
                shown.exclamation = icon->isVisibleTo(box);
            }
            seen = shown;
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_0")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(button(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        return seen;
    }

    // Points the registry at a file holding the two products' installation directories.
    void useInstallPaths(const QByteArray& lumeoPath, const QByteArray& vantroPath) {
        const QString file = sandbox.filePath(QStringLiteral("registry.reg"));
        writeFile(file, "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Lumeo]\r\n"
                        "\"InstallPath\"=\"" +
                            lumeoPath +
                            "\"\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\Vantro]\r\n"
                            "\"InstallPath\"=\"" +
                            vantroPath + "\"\r\n");
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(file));
    }

    void tick(int row) { QTest::mouseClick(window.chkPrd[row].widget(), Qt::LeftButton); }

    QPushButton* button(const QString& name) { return window.findChild<QPushButton*>(name); }

    bool updated(const QString& product) const {
        return readFile(product + QStringLiteral("/Norvik/agent.cfg")) == "new agent" &&
               readFile(product + QStringLiteral("/Norvik/bin/tool.dat")) == "new tool" &&
               !QFile::exists(product + QStringLiteral("/Norvik/obsolete.dll"));
    }

    bool untouched(const QString& product) const {
        return readFile(product + QStringLiteral("/Norvik/agent.cfg")) == "old agent" &&
               readFile(product + QStringLiteral("/Norvik/obsolete.dll")) == "old" &&
               QDir(QFileInfo(product).absolutePath())
                       .entryList({QFileInfo(product).fileName() + QStringLiteral("*")},
                                  QDir::AllEntries | QDir::Hidden)
                       .size() == 1;
    }

    void expectIdleAfterRun() {
        EXPECT_FALSE(window.lblProg->isVisible());
        EXPECT_EQ(window.focusWidget(), button(QStringLiteral("cmdUpdate")));
    }

    QTemporaryDir sandbox;
    QString programDir;
    QString lumeo;
    QString vantro;
    std::vector<StandardBoxCall> standardBoxes;
    frmUpdate window;
};

TEST_F(UpdateWindow, StartsEmptyAndTabsInTheDesignOrderSkippingDisabledButtons) {
    for (int row = 0; row <= window.chkPrd.ubound(); ++row) {
        EXPECT_EQ(window.chkPrd[row].value(), 0);
        EXPECT_TRUE(window.txtDataDir[row].text().isEmpty());
        EXPECT_FALSE(window.cmdDataDir[row].isEnabled());
    }
    EXPECT_FALSE(window.lblProg->isVisible());
    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint));

    EXPECT_EQ(QApplication::focusWidget(), window.txtDataDir[0].widget());
    const std::vector<QWidget*> order = {
        button(QStringLiteral("cmdUpdate")), button(QStringLiteral("cmdexit")),
        window.chkPrd[0].widget(),           window.chkPrd[1].widget(),
        window.txtDataDir[1].widget(),       window.txtDataDir[0].widget(),
    };
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(UpdateWindow, TheCheckStopsAtTheFirstProblemBeforeAnythingIsTouched) {
    const QString missing = sandbox.filePath(QStringLiteral("no such dir"));
    EXPECT_FALSE(pressUpdate().has_value());
    window.chkPrd[0].setValue(1);
    choose(1, vantro);
    EXPECT_FALSE(pressUpdate().has_value());
    choose(0, lumeo);
    choose(1, missing);
    EXPECT_FALSE(pressUpdate().has_value());

    ASSERT_EQ(standardBoxes.size(), 3u);
    EXPECT_EQ(standardBoxes[0].prompt, QStringLiteral("Please select a product to update."));
    EXPECT_EQ(standardBoxes[1].prompt, QStringLiteral("Please enter path of Lumeo"));
    EXPECT_EQ(standardBoxes[2].prompt, QStringLiteral("Folder not exists ") + missing);
    for (const StandardBoxCall& shown : standardBoxes) {
        EXPECT_EQ(shown.style, 64);
        EXPECT_EQ(shown.caption, QStringLiteral("TolvarNorvikUpdater"));
    }
    EXPECT_TRUE(untouched(lumeo));
    EXPECT_TRUE(untouched(vantro));
}

TEST_F(UpdateWindow, BothRowsAreReplacedOrCopiedAndSummedUpInOrder) {
    const QString fresh = sandbox.filePath(QStringLiteral("products/Fresh"));
    QDir().mkpath(fresh);
    choose(0, lumeo);
    choose(1, fresh);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->message,
              QStringLiteral("[Lumeo] Update Successfully.\r\n[Vantro] Update Successfully."));
    EXPECT_EQ(box->caption, QStringLiteral("TolvarNorvikUpdater"));
    EXPECT_TRUE(standardBoxes.empty());
    EXPECT_TRUE(updated(lumeo));
    EXPECT_TRUE(updated(fresh));
    expectIdleAfterRun();
}

TEST_F(UpdateWindow, TheRunEndsTheProductsHelperProcesses) {
    const pid_t agent = startNamed("norvikAgent.exe");
    const pid_t node = startNamed("C:\\Tools\\NODE.EXE");
    const pid_t bystander = startNamed("anode.exe");
    choose(0, lumeo);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->message, QStringLiteral("[Lumeo] Update Successfully."));
    EXPECT_TRUE(endedBySigkill(agent));
    EXPECT_TRUE(endedBySigkill(node));
    EXPECT_EQ(waitpid(bystander, nullptr, WNOHANG), 0) << "a longer name is not a match";
    kill(bystander, SIGKILL);
    waitpid(bystander, nullptr, 0);
}

TEST_F(UpdateWindow, AFailingCopyReportsUnderTheRunsNameAndKeepsEveryOldFolder) {
    const std::pair<std::function<void()>, QString> faults[] = {
        {[] { platform::testing::failCopyAfter(1, "Disk full"); }, QStringLiteral("Disk full")},
        {[this] {
             platform::testing::clearInjectedFailures();
             QDir(programDir + QStringLiteral("/Norvik")).removeRecursively();
         },
         QStringLiteral("Path not found")},
    };
    choose(0, lumeo);
    choose(1, vantro);
    for (const auto& [provoke, description] : faults) {
        provoke();
        const auto box = pressUpdate();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->caption, QStringLiteral("UpdateNorvikOnMachine"));
        EXPECT_TRUE(box->message.startsWith(description)) << box->message.toStdString();
        EXPECT_TRUE(box->exclamation);
        EXPECT_TRUE(untouched(lumeo));
        EXPECT_TRUE(untouched(vantro));
        expectIdleAfterRun();
    }
}

TEST_F(UpdateWindow, AFailureInTheSecondRowKeepsTheFirstReplacedAndShowsNoSummary) {
    writeFile(vantro + QStringLiteral("/Norvik.tolvar-new"), "someone else's file");
    choose(0, lumeo);
    choose(1, vantro);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, QStringLiteral("UpdateNorvikOnMachine"));
    EXPECT_TRUE(box->message.startsWith(QStringLiteral("File already exists")));
    EXPECT_TRUE(updated(lumeo));
    EXPECT_EQ(readFile(vantro + QStringLiteral("/Norvik/obsolete.dll")), "old");
    EXPECT_EQ(readFile(vantro + QStringLiteral("/Norvik.tolvar-new")), "someone else's file");
}

TEST_F(UpdateWindow, InputDuringARunIsDroppedSoNoSecondRunStarts) {
    choose(0, lumeo);
    int boxes = 0;
    // Fires at the run's first yield: a second press and an edit of the directory arrive
    // while the run is under way.
    QTimer::singleShot(0, &window, [this] {
        QTest::mouseClick(button(QStringLiteral("cmdUpdate")), Qt::LeftButton);
        QTest::keyClicks(window.txtDataDir[0].widget(), QStringLiteral("xyz"));
        QTest::mouseClick(window.chkPrd[0].widget(), Qt::LeftButton);
    });
    const testsupport::ModalAnswer answer([&boxes](QWidget* box) {
        ++boxes;
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_0")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(button(QStringLiteral("cmdUpdate")), Qt::LeftButton);
    QTest::qWait(100);
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(standardBoxes.empty());
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo);
    EXPECT_EQ(window.chkPrd[0].value(), 1);
    EXPECT_TRUE(updated(lumeo));
    // Once the run is over the window takes input again.
    QTest::keyClicks(window.txtDataDir[0].widget(), QStringLiteral("x"));
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo + QStringLiteral("x"));
}

TEST_F(UpdateWindow, TickingFillsTheDirectoryFromTheRegistryAndUntickingEmptiesTheRow) {
    useInstallPaths(lumeo.toUtf8() + "/", "//server/share/Vantro");
    tick(0);
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo);
    EXPECT_TRUE(window.cmdDataDir[0].isEnabled());
    EXPECT_EQ(ProductKey, QStringLiteral("Lumeo"));

    tick(1);
    EXPECT_TRUE(window.txtDataDir[1].text().isEmpty()) << "a network share is never taken";
    EXPECT_TRUE(window.cmdDataDir[1].isEnabled());
    EXPECT_EQ(ProductKey, QStringLiteral("Vantro"));

    QTest::keyClicks(window.txtDataDir[0].widget(), QStringLiteral("/typed"));
    tick(0);
    EXPECT_TRUE(window.txtDataDir[0].text().isEmpty());
    EXPECT_FALSE(window.cmdDataDir[0].isEnabled());
    EXPECT_EQ(ProductKey, QStringLiteral("Vantro")) << "unticking does not change the key";
    EXPECT_TRUE(standardBoxes.empty());

    tick(1);
    tick(0);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->message, QStringLiteral("[Lumeo] Update Successfully."));
    EXPECT_TRUE(updated(lumeo));
}

TEST_F(UpdateWindow, UpToTwoTrailingSeparatorsAreRemoved) {
    const std::pair<QByteArray, QString> cases[] = {
        {"/opt/Lumeo//", QStringLiteral("/opt/Lumeo")},
        {"/opt/Lumeo///", QStringLiteral("/opt/Lumeo/")},
        {"/", QString()},
        {"", QString()},
    };
    for (const auto& [stored, shown] : cases) {
        useInstallPaths(stored, stored);
        window.chkPrd[0].setValue(0);
        window.chkPrd[0].setValue(1);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << stored.toStdString();
    }
    qunsetenv("TOLVAR_REGISTRY");
    window.chkPrd[1].setValue(1);
    EXPECT_TRUE(window.txtDataDir[1].text().isEmpty()) << "no registry file, no directory";
    EXPECT_TRUE(window.cmdDataDir[1].isEnabled());
}

TEST_F(UpdateWindow, BrowsingReplacesTheDirectoryUnlessCancelled) {
    window.chkPrd[0].setValue(1);
    window.txtDataDir[0].setText(QStringLiteral("/typed"));
    const std::pair<QString, QString> answers[] = {
        {QString(), QStringLiteral("/typed")},
        {QStringLiteral("/srv/picked/"), QStringLiteral("/srv/picked")},
        {QStringLiteral("/srv/other"), QStringLiteral("/srv/other")},
        {QStringLiteral("/"), QString()},
    };
    for (const auto& [answer, shown] : answers) {
        modAPIs::testing::setNextDirectory(answer);
        QTest::mouseClick(button(QStringLiteral("cmdDataDir_0")), Qt::LeftButton);
        EXPECT_EQ(window.txtDataDir[0].text(), shown) << answer.toStdString();
    }
}

// A click handler reports a failure in the standard box and goes on with the next statement,
// where a failing test counts as passed. Taking a row's directory box away makes every step
// that touches it fail.
TEST_F(UpdateWindow, AFailingClickReportsEachFailureAndGoesOn) {
    const QString missingElement = QStringLiteral("Control array element doesn't exist");
    window.txtDataDir.unload(1);
    tick(1);
    EXPECT_TRUE(window.cmdDataDir[1].isEnabled()) << "the step after the failing one ran";
    EXPECT_EQ(ProductKey, QStringLiteral("Vantro"));
    // Emptying, filling, two separator tests with their trims, the share test and its reset.
    ASSERT_EQ(standardBoxes.size(), 8u);
    for (const StandardBoxCall& shown : standardBoxes) {
        EXPECT_EQ(shown.prompt, missingElement);
        EXPECT_EQ(shown.style, 0);
        EXPECT_EQ(shown.caption, QStringLiteral("TolvarNorvikUpdater"));
    }

    standardBoxes.clear();
    EXPECT_FALSE(pressUpdate().has_value());
    ASSERT_EQ(standardBoxes.size(), 2u);
    EXPECT_EQ(standardBoxes[0].prompt, missingElement);
    EXPECT_EQ(standardBoxes[1].prompt, QStringLiteral("Please enter path of Vantro"))
        << "the failing emptiness test counts as passed";
    EXPECT_TRUE(untouched(vantro));
}

TEST_F(UpdateWindow, AFailingBrowseIsSilent) {
    window.chkPrd[0].setValue(1);
    window.txtDataDir.unload(0);
    modAPIs::testing::setNextDirectory(QStringLiteral("/srv/picked"));
    QTest::mouseClick(button(QStringLiteral("cmdDataDir_0")), Qt::LeftButton);
    EXPECT_TRUE(standardBoxes.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(UpdateWindow, ExitAnsweredNoChangesNothing) {
    choose(0, lumeo);
    window.txtDataDir[0].setFocus();
    QString question;
    const testsupport::ModalAnswer answer([&question](QWidget* box) {
        question = box->findChild<rt::Label*>(QStringLiteral("lblMsg"))->caption();
        QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_1")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(button(QStringLiteral("cmdexit")), Qt::LeftButton);
    EXPECT_EQ(question, QStringLiteral("Do you really want to Exit?"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.txtDataDir[0].text(), lumeo);
}

TEST_F(UpdateWindow, ExitAnsweredYesEndsTheProgram) {
    EXPECT_EXIT(
        {
            // The child built a sandbox of its own and never returns to remove it.
            sandbox.remove();
            const testsupport::ModalAnswer answer([](QWidget* box) {
                QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_0")),
                                  Qt::LeftButton);
            });
            QTest::mouseClick(button(QStringLiteral("cmdexit")), Qt::LeftButton);
            std::_Exit(7);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(UpdateWindow, TheCloseBoxClosesWithoutAsking) {
    bool asked = false;
    const testsupport::ModalAnswer answer([&asked](QWidget* box) {
        asked = true;
        box->close();
    });
    EXPECT_TRUE(window.close());
    QTest::qWait(300);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
