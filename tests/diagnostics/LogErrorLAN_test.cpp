#include "diagnostics/LogErrorLAN.h"
#include "runtime/Application.h"
#include "support/ModalAnswer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    QFile log(
        QDir(qEnvironmentVariable("TOLVAR_ROOT")).filePath(QStringLiteral("UpdLogs/PC07.log")));
    // Entries are separated by "|".
    const struct {
        const char *command, *entries;
        int status;
        QByteArray log;
        const char* shown;
    } cases[] = {{"x:y:PC07:UpdLogs:ignored", "x\r\ny\tz|lone\rreturn and\nfeed|[end]|[END]", 1,
                  "[START]\r\nx;y  z\r\nlone\rreturn and\nfeed\r\n[end]\r\n[END]\r\n", ""},
                 {"x:y:PC07", "Error", 2, "<no log>", "LogErrorLAN: Subscript out of range"},
                 // ".." at the drive's root stays there, as on Windows.
                 {"x:y:PC07:../../UpdLogs", "[END]", 1, "[START]\r\n[END]\r\n", ""},
                 {"x:y:../../../UpdLogs/PC07:UpdLogs/..", "[END]", 1, "[START]\r\n[END]\r\n", ""},
                 // A network path, which the stand-in for the drive does not have.
                 {"x:y:PC07:", "Error", 2, "<no log>", "LogErrorLAN: Path not found"}};
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("an earlier run's log, longer than this one\r\n");
    log.close();
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                const testsupport::ModalAnswer answer = testsupport::answerOwnBox(0);
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
    }
    if (temporary) {
        qunsetenv("TOLVAR_ROOT");
    }
}

} // namespace
