#include "support/SandboxFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The built program as a script starts it, with a command line, when its update window fails to
// load: the failure goes to the log the command line names, where no one has to answer it.
TEST(Program, ALoadFailureUnderACommandLineIsLoggedAndEndsTheProgram) {
    const QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid() && QDir(sandbox.path()).mkpath(u"UpdLogs"_s));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"TOLVAR_ROOT"_s, sandbox.path());
    environment.insert(u"TOLVAR_INJECT_FAILURE"_s, u"Form_Load:Overflow"_s);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QFile::decodeName(TOLVAR_PROGRAM), {u"x:y:PC07:UpdLogs"_s});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(tolvar::testsupport::readFile(sandbox.filePath(u"UpdLogs/PC07.log"_s)),
              "[START]\r\nError:Load:Overflow\r\n[END]\r\n");
}

} // namespace
