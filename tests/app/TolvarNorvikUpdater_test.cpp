#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The built program as a script starts it, with a command line, when its update window fails to
// load: the failure goes to the log the command line names, where no one has to answer it. The
// command line is the arguments with a blank between each.
TEST(Program, ALoadFailureUnderACommandLineIsLoggedAndEndsTheProgram) {
    const QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid() && QDir(sandbox.path()).mkpath(QStringLiteral("Upd Logs")));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TOLVAR_ROOT"), sandbox.path());
    environment.insert(QStringLiteral("TOLVAR_REGISTRY"),
                       sandbox.filePath(QStringLiteral("none.reg")));
    environment.insert(QStringLiteral("TOLVAR_INJECT_FAILURE"),
                       QStringLiteral("Form_Load:Overflow"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QFile::decodeName(TOLVAR_PROGRAM),
                  {QStringLiteral("x:y:PC07:Upd"), QStringLiteral("Logs")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    QFile log(sandbox.filePath(QStringLiteral("Upd Logs/PC07.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "[START]\r\nError:Load:Overflow\r\n[END]\r\n");
}

} // namespace
