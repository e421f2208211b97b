#include "diagnostics/LogErrorLAN.h"
#include "runtime/Application.h"
#include "runtime/Controls.h"
#include "support/ModalAnswer.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace tolvar;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every case ends the process, so each runs in a death test's child: the log is read back in
// the parent once the child has gone. The child runs the fixture again, and finds the parent's
// root in its environment.
class LogFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("TOLVAR_ROOT")) {
            temporary = std::make_unique<QTemporaryDir>();
            ASSERT_TRUE(temporary->isValid());
            QDir(temporary->path()).mkpath(QStringLiteral("UpdLogs"));
            qputenv("TOLVAR_ROOT", QFile::encodeName(temporary->path()));
        }
        root = QDir(qEnvironmentVariable("TOLVAR_ROOT"));
    }
    void TearDown() override {
        if (temporary) {
            qunsetenv("TOLVAR_ROOT");
        }
    }

    QString log() const { return root.filePath(QStringLiteral("UpdLogs/PC07.log")); }

    // In the child: a box that comes is named on standard error and answered.
    static void reportBoxes(testsupport::ModalAnswer*& answer) {
        answer = new testsupport::ModalAnswer([](QWidget* box) {
            const auto* text = box->findChild<rt::Label*>(QStringLiteral("lblMsg"));
            std::fprintf(stderr, "box %s: %s\n", qPrintable(box->windowTitle()),
                         text != nullptr ? qPrintable(text->caption()) : "");
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_0")),
                              Qt::LeftButton);
        });
    }

    std::unique_ptr<QTemporaryDir> temporary;
    QDir root;
};

TEST_F(LogFile, EntriesLandBetweenStartAndEndAndTheEndEndsTheProgram) {
    QFile earlier(log());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier run's log, longer than this one\r\n");
    earlier.close();
    EXPECT_EXIT(
        {
            rt::app::setCommandForTesting(QStringLiteral("x:y:PC07:UpdLogs:ignored"));
            modMain::LogErrorLAN(QStringLiteral("x\r\ny\tz"));
            modMain::LogErrorLAN(QStringLiteral("lone\rreturn and\nfeed"));
            modMain::LogErrorLAN(QStringLiteral("[end]"));
            if (modMain::LogFileNumber == 0) {
                std::_Exit(9);
            }
            modMain::LogErrorLAN(QStringLiteral("[END]"));
            std::_Exit(8);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(readFile(log()), "[START]\r\nx;y  z\r\nlone\rreturn and\nfeed\r\n[end]\r\n[END]\r\n");
}

TEST_F(LogFile, EndAsTheFirstEntryGivesTwoLines) {
    EXPECT_EXIT(
        {
            rt::app::setCommandForTesting(QStringLiteral("a:b:PC07:UpdLogs"));
            modMain::LogErrorLAN(QStringLiteral("[END]"));
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(readFile(log()), "[START]\r\n[END]\r\n");
}

TEST_F(LogFile, ALogThatCannotBeWrittenIsShownUnderItsOwnNameAndEndsTheProgram) {
    const struct {
        const char* command;
        const char* description;
    } cases[] = {
        {"", "Subscript out of range"},
        {"x:y:PC07", "Subscript out of range"},
        {"x:y:PC07:NoSuchFolder", "Path not found"},
        {"x:y:PC07:", "Path not found"},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                testsupport::ModalAnswer* answer = nullptr;
                reportBoxes(answer);
                rt::app::setCommandForTesting(QString::fromLatin1(c.command));
                modMain::LogErrorLAN(QStringLiteral("Error:Load:Overflow"));
                std::_Exit(8);
            },
            ::testing::ExitedWithCode(2), std::string("box LogErrorLAN: ") + c.description)
            << c.command;
    }
    EXPECT_FALSE(QFile::exists(log()));
    EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("PC07.log"))));
}

} // namespace
