#include "runtime/Application.h"
#include "runtime/SequentialFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

using namespace tolvar::rt;

namespace {

constexpr const char* PrintCommandVariable = "TOLVAR_TEST_PRINT_COMMAND";
constexpr const char* EndFileVariable = "TOLVAR_TEST_END_FILE";

// Runs this test program again with `arguments`, where the same test only prints the
// command text it was given.
QString commandOfChildStartedWith(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(PrintCommandVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("GTEST_FILTER"),
                       QStringLiteral("AppCommand.IsTheArgumentsAfterTheProgramPath"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForFinished(60000)) {
        return QStringLiteral("<child did not finish>");
    }
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^command=\\[(.*)\\]$"),
                                                             QRegularExpression::MultilineOption)
                                              .match(output);
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<no command in: ") + output;
}

TEST(AppCommand, IsTheArgumentsAfterTheProgramPath) {
    if (qEnvironmentVariableIsSet(PrintCommandVariable)) {
        std::printf("command=[%s]\n", app::command().toLocal8Bit().constData());
        return;
    }
    EXPECT_EQ(commandOfChildStartedWith({QStringLiteral("/log:Updater:Logs")}),
              QStringLiteral("/log:Updater:Logs"));
    EXPECT_EQ(commandOfChildStartedWith(
                  {QStringLiteral("first"), QStringLiteral("two words"), QStringLiteral("last")}),
              QStringLiteral("first two words last"));
    EXPECT_EQ(commandOfChildStartedWith({}), QString());
}

TEST(AppExecutableDirectory, IsWhereTheProgramLivesNotTheWorkingDirectory) {
    const QString before = QDir::currentPath();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    const QString directory = app::executableDirectory();
    QDir::setCurrent(before);

    EXPECT_TRUE(QFileInfo(QDir(directory).filePath(QStringLiteral("runtime_tests"))).isExecutable())
        << directory.toStdString();
    EXPECT_NE(QDir(directory), QDir(elsewhere.path()));
}

TEST(AppEnd, EndsAtOnceWithTheStatusGivenAndOpenFilesClosed) {
    // The death test's child runs this body again from its start and must write where the
    // parent reads.
    std::optional<QTemporaryDir> folder;
    QString path = qEnvironmentVariable(EndFileVariable);
    if (path.isEmpty()) {
        folder.emplace();
        path = folder->filePath(QStringLiteral("Updater.log"));
        qputenv(EndFileVariable, QFile::encodeName(path));
    }

    EXPECT_EXIT(
        {
            const int number = files::freeFile();
            files::openForOutput(number, path);
            files::printLine(number, QStringLiteral("[END]"));
            QTimer::singleShot(0, [number] { files::printLine(number, QStringLiteral("late")); });
            app::end(3);
        },
        ::testing::ExitedWithCode(3), "");
    qunsetenv(EndFileVariable);

    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("[END]\r\n")) << "no event ran after the end";
}

} // namespace
