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
#include <optional>

using namespace tolvar;

namespace {

// Every case ends the process, so each runs in a death test's child, which runs this test
// again: it finds the parent's root in its environment and makes none of its own. The log is
// read back in the parent once the child has gone.
TEST(LogFile, EntriesLandBetweenStartAndEndWhichEndsTheProgramOrTheLogsFailureIsShown) {
    std::optional<QTemporaryDir> temporary;
    if (qEnvironmentVariableIsEmpty("TOLVAR_ROOT")) {
        temporary.emplace();
        ASSERT_TRUE(temporary->isValid() &&
                    QDir(temporary->path()).mkpath(QStringLiteral("UpdLogs")));
        qputenv("TOLVAR_ROOT", QFile::encodeName(temporary->path()));
    }
    const QDir root(qEnvironmentVariable("TOLVAR_ROOT"));
    // Entries are separated by "|".
    const struct {
        const char *command, *entries;
        int status;
        QByteArray log;
        const char* shown;
    } cases[] = {{"x:y:PC07:UpdLogs:ignored", "x\r\ny\tz|lone\rreturn and\nfeed|[end]|[END]", 1,
                  "[START]\r\nx;y  z\r\nlone\rreturn and\nfeed\r\n[end]\r\n[END]\r\n", ""},
                 {"x:y:PC07", "Error", 2, "<no log>", "box LogErrorLAN: Subscript out of range"},
                 // ".." at the drive's root stays there, as on Windows.
                 {"x:y:PC07:../../UpdLogs", "[END]", 1, "[START]\r\n[END]\r\n", ""},
                 {"x:y:../../../UpdLogs/PC07:UpdLogs/..", "[END]", 1, "[START]\r\n[END]\r\n", ""},
                 // A network path, which the stand-in for the drive does not have.
                 {"x:y:PC07:", "Error", 2, "<no log>", "box LogErrorLAN: Path not found"}};
    QFile log(root.filePath(QStringLiteral("UpdLogs/PC07.log")));
    EXPECT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("an earlier run's log, longer than this one\r\n");
    log.close();
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                // A box that comes is named on standard error and answered.
                const testsupport::ModalAnswer answer([](QWidget* box) {
                    std::fprintf(
                        stderr, "box %s: %s\n", qPrintable(box->windowTitle()),
                        qPrintable(
                            box->findChild<rt::Label*>(QStringLiteral("lblMsg"))->caption()));
                    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdAction_0")),
                                      Qt::LeftButton);
                });
                rt::app::setCommandForTesting(QString::fromLatin1(c.command));
                for (const QString& entry : QString::fromLatin1(c.entries).split(u'|')) {
                    modMain::LogErrorLAN(entry);
                }
                std::_Exit(8);
            },
            ::testing::ExitedWithCode(c.status), c.shown)
            << c.command;
        EXPECT_EQ(log.open(QIODevice::ReadOnly) ? log.readAll() : "<no log>", c.log) << c.command;
        log.remove();
        EXPECT_FALSE(QFile::exists(root.filePath(QStringLiteral("PC07.log"))));
    }
    if (temporary) {
        qunsetenv("TOLVAR_ROOT");
    }
}

} // namespace
