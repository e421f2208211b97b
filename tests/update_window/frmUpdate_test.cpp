#include "platform/FolderOps.h"
#include "runtime/Application.h"
#include "runtime/Screen.h"
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
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
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

TEST_F(UpdateWindow, StartsEmptyWithTheFocusOnTheFirstDirectory) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tolvar Norvik Utility Updater"));
    for (int row = 0; row <= window.chkPrd.ubound(); ++row) {
        EXPECT_EQ(window.chkPrd[row].value(), 0);
        EXPECT_TRUE(window.txtDataDir[row].text().isEmpty());
        EXPECT_FALSE(window.cmdDataDir[row].isEnabled());
    }
    EXPECT_EQ(window.chkPrd.ubound(), 1);
    EXPECT_EQ(window.chkPrd[0].caption(), QStringLiteral("Lumeo"));
    EXPECT_EQ(window.chkPrd[1].caption(), QStringLiteral("Vantro"));
    EXPECT_FALSE(window.lblProg->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), window.txtDataDir[0].widget());
    EXPECT_EQ(window.scaleWidth(), rt::screen::fromPixelsX(rt::screen::toPixelsX(8160)));
    EXPECT_EQ(window.scaleHeight(), rt::screen::fromPixelsY(rt::screen::toPixelsY(1935)));
    EXPECT_EQ(window.cmdUpdate->left(), 6840);
    EXPECT_EQ(window.txtDataDir[1].top(), 960);
    EXPECT_DOUBLE_EQ(window.chkPrd[0].fontSize(), 11.25);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(UpdateWindow, TabSkipsDisabledBrowseButtonsInTheDesignOrder) {
    const std::vector<QWidget*> expected = {
        button(QStringLiteral("cmdUpdate")), button(QStringLiteral("cmdexit")),
        window.chkPrd[0].widget(),           window.chkPrd[1].widget(),
        window.txtDataDir[1].widget(),       window.txtDataDir[0].widget(),
    };
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(UpdateWindow, NothingTickedOnlyAsksForAProduct) {
    EXPECT_FALSE(pressUpdate().has_value());
    ASSERT_EQ(standardBoxes.size(), 1u);
    EXPECT_EQ(standardBoxes[0].prompt, QStringLiteral("Please select a product to update."));
    EXPECT_EQ(standardBoxes[0].style, 64);
    EXPECT_EQ(standardBoxes[0].caption, QStringLiteral("TolvarNorvikUpdater"));
    EXPECT_TRUE(untouched(lumeo));
}

TEST_F(UpdateWindow, TheFirstFailingRowStopsThePressBeforeAnythingIsCopied) {
    window.chkPrd[0].setValue(1);
    choose(1, vantro);
    EXPECT_FALSE(pressUpdate().has_value());
    ASSERT_EQ(standardBoxes.size(), 1u);
    EXPECT_EQ(standardBoxes[0].prompt, QStringLiteral("Please enter path of Lumeo"));
    EXPECT_TRUE(untouched(vantro));

    standardBoxes.clear();
    const QString missing = sandbox.filePath(QStringLiteral("no such dir"));
    choose(0, lumeo);
    choose(1, missing);
    EXPECT_FALSE(pressUpdate().has_value());
    ASSERT_EQ(standardBoxes.size(), 1u);
    EXPECT_EQ(standardBoxes[0].prompt, QStringLiteral("Folder not exists ") + missing);
    EXPECT_EQ(standardBoxes[0].style, 64);
    EXPECT_TRUE(untouched(lumeo));
}

TEST_F(UpdateWindow, BothRowsAreReplacedAndSummedUpInOrder) {
    choose(0, lumeo);
    choose(1, vantro);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->message,
              QStringLiteral("[Lumeo] Update Successfully.\r\n[Vantro] Update Successfully."));
    EXPECT_EQ(box->caption, QStringLiteral("TolvarNorvikUpdater"));
    EXPECT_TRUE(standardBoxes.empty());
    EXPECT_TRUE(updated(lumeo));
    EXPECT_TRUE(updated(vantro));
    expectIdleAfterRun();
}

TEST_F(UpdateWindow, ATargetWithoutNorvikIsSimplyCopied) {
    const QString fresh = sandbox.filePath(QStringLiteral("products/Fresh"));
    QDir().mkpath(fresh);
    choose(1, fresh);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->message, QStringLiteral("[Vantro] Update Successfully."));
    EXPECT_EQ(readFile(fresh + QStringLiteral("/Norvik/agent.cfg")), "new agent");
}

TEST_F(UpdateWindow, AMissingSourceReportsUnderTheRunsNameAndTouchesNothing) {
    QDir(programDir + QStringLiteral("/Norvik")).removeRecursively();
    choose(0, lumeo);
    choose(1, vantro);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, QStringLiteral("UpdateNorvikOnMachine"));
    EXPECT_TRUE(box->message.startsWith(QStringLiteral("Path not found")))
        << box->message.toStdString();
    EXPECT_TRUE(box->exclamation);
    EXPECT_TRUE(untouched(lumeo));
    EXPECT_TRUE(untouched(vantro));
    expectIdleAfterRun();
}

TEST_F(UpdateWindow, AFailureInTheMiddleOfACopyKeepsTheOldFolderAndStopsTheRun) {
    platform::testing::failCopyAfter(1, "Disk full");
    choose(0, lumeo);
    choose(1, vantro);
    const auto box = pressUpdate();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, QStringLiteral("UpdateNorvikOnMachine"));
    EXPECT_TRUE(box->message.startsWith(QStringLiteral("Disk full")));
    EXPECT_TRUE(untouched(lumeo));
    EXPECT_TRUE(untouched(vantro));
    expectIdleAfterRun();
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
