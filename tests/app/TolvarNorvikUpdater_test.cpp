#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The program as an administrator meets it: the built executable, started with or without a
// command line, whose update window fails to load. Boxes are looked for on a private X server,
// where a user would see them, and answered there.
TEST(Program, ALoadFailureIsShownWhenStartedByHandLoggedUnderACommandLineAndEndsTheProgram) {
    const QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid() && QDir(sandbox.path()).mkpath(u"UpdLogs"_s));
    QProcess xserver;
    xserver.start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, u"1024x768x24"_s,
                              u"-nolisten"_s, u"tcp"_s});
    ASSERT_TRUE(xserver.waitForReadyRead(10000));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DISPLAY"_s, u":"_s + QString::fromLatin1(xserver.readLine().trimmed()));
    // Runs xdotool on the X server for at most `seconds`; the first line it prints.
    const auto xdotool = [&environment](const QStringList& arguments, int seconds = 10) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(u"timeout"_s, QStringList{QString::number(seconds), u"xdotool"_s} + arguments);
        tool.waitForFinished((seconds + 5) * 1000);
        return QString::fromLatin1(tool.readAllStandardOutput()).section(u'\n', 0, 0);
    };
    const auto visibleWindowTitled = [&xdotool](const QString& title, int seconds = 10) {
        return xdotool(
            {u"search"_s, u"--sync"_s, u"--onlyvisible"_s, u"--name"_s, u'^' + title + u'$'},
            seconds);
    };
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    environment.insert(u"TOLVAR_ROOT"_s, sandbox.path());
    environment.insert(u"TOLVAR_REGISTRY"_s, sandbox.filePath(u"none.reg"_s));
    environment.insert(u"TOLVAR_INJECT_FAILURE"_s, u"Form_Load:Overflow"_s);

    const struct {
        QString command, box;
        int status;
        QByteArray log;
    } cases[] = {
        {QString(), u"Form_Load"_s, 1, "<no log>"},
        // A command line that names no log folder: the log's own failure is shown.
        {u"x:y:PC07"_s, u"LogErrorLAN"_s, 2, "<no log>"},
        // Logged without a box, which would wait for an answer that never comes.
        {u"x:y:PC07:UpdLogs"_s, QString(), 1, "[START]\r\nError:Load:Overflow\r\n[END]\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.toStdString());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TOLVAR_PROGRAM), c.command.split(u' ', Qt::SkipEmptyParts));
        if (!c.box.isEmpty()) {
            const QString box = visibleWindowTitled(c.box);
            ASSERT_FALSE(box.isEmpty()) << "no box titled " << c.box.toStdString();
            EXPECT_TRUE(visibleWindowTitled(u"Tolvar Norvik Utility Updater"_s, 1).isEmpty());
            xdotool({u"windowfocus"_s, u"--sync"_s, box, u"key"_s, u"Return"_s});
        }
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        QFile log(sandbox.filePath(u"UpdLogs/PC07.log"_s));
        EXPECT_EQ(log.open(QIODevice::ReadOnly) ? log.readAll() : "<no log>", c.log);
        log.remove();
        EXPECT_EQ(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{u"UpdLogs"_s});
    }
    xserver.kill();
    xserver.waitForFinished();
}

} // namespace
