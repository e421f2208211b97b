#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The program as an administrator meets it: the built executable, started with or without a
// command line, whose update window fails to load. Boxes are looked for on a real X server,
// where a user would see them.
namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        QDir(sandbox.path()).mkpath(QStringLiteral("UpdLogs"));
    }

    void TearDown() override {
        program.kill();
        program.waitForFinished();
        xserver.kill();
        xserver.waitForFinished();
    }

    // Starts a private X server and returns its display name.
    QString startXServer() {
        xserver.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1024x768x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!xserver.waitForReadyRead(10000)) {
            return {};
        }
        return QLatin1Char(':') + QString::fromLatin1(xserver.readLine().trimmed());
    }

    void start(const QString& commandLine, const QString& display = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TOLVAR_ROOT"), sandbox.path());
        environment.insert(QStringLiteral("TOLVAR_REGISTRY"),
                           sandbox.filePath(QStringLiteral("none.reg")));
        environment.insert(QStringLiteral("TOLVAR_INJECT_FAILURE"),
                           QStringLiteral("Form_Load:Overflow"));
        if (display.isEmpty()) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            environment.insert(QStringLiteral("DISPLAY"), display);
        }
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TOLVAR_PROGRAM),
                      commandLine.isEmpty() ? QStringList() : commandLine.split(QLatin1Char(' ')));
        ASSERT_TRUE(program.waitForStarted());
    }

    // The id of the visible window of that exact title, once it shows; empty if none comes.
    static QString waitForWindow(const QString& display, const QString& title, int seconds = 10) {
        QProcess search;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        search.setProcessEnvironment(environment);
        search.start(QStringLiteral("timeout"),
                     {QString::number(seconds), QStringLiteral("xdotool"), QStringLiteral("search"),
                      QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
        search.waitForFinished((seconds + 5) * 1000);
        return QString::fromLatin1(search.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0);
    }

    static void pressReturn(const QString& display, const QString& window) {
        QProcess press;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        press.setProcessEnvironment(environment);
        press.start(QStringLiteral("xdotool"),
                    {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                     QStringLiteral("key"), QStringLiteral("Return")});
        press.waitForFinished(10000);
    }

    int exitStatusWithin(int milliseconds) {
        if (!program.waitForFinished(milliseconds)) {
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }

    QString log() const { return sandbox.filePath(QStringLiteral("UpdLogs/PC07.log")); }

    QTemporaryDir sandbox;
    QProcess xserver;
    QProcess program;
};

TEST_F(Program, ALoadFailureStartedByHandIsShownAndEndsTheProgram) {
    const QString display = startXServer();
    ASSERT_FALSE(display.isEmpty());
    start({}, display);
    const QString box = waitForWindow(display, QStringLiteral("Form_Load"));
    ASSERT_FALSE(box.isEmpty()) << "no box titled Form_Load";
    EXPECT_TRUE(
        waitForWindow(display, QStringLiteral("Tolvar Norvik Utility Updater"), 1).isEmpty())
        << "the update window is never shown";
    pressReturn(display, box);
    EXPECT_EQ(exitStatusWithin(10000), 1);
    EXPECT_TRUE(QDir(sandbox.filePath(QStringLiteral("UpdLogs"))).isEmpty());
}

TEST_F(Program, ALoadFailureUnderACommandLineIsLoggedSilently) {
    start(QStringLiteral("x:y:PC07:UpdLogs"));
    // A box would wait for an answer that never comes; the program ends on its own.
    EXPECT_EQ(exitStatusWithin(10000), 1);
    QFile file(log());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[START]\r\nError:Load:Overflow\r\n[END]\r\n");
}

TEST_F(Program, ACommandLineThatNamesNoLogShowsTheLogsFailureAndEnds) {
    const QString display = startXServer();
    ASSERT_FALSE(display.isEmpty());
    start(QStringLiteral("x:y:PC07"), display);
    const QString box = waitForWindow(display, QStringLiteral("LogErrorLAN"));
    ASSERT_FALSE(box.isEmpty()) << "no box titled LogErrorLAN";
    pressReturn(display, box);
    EXPECT_EQ(exitStatusWithin(10000), 2);
    EXPECT_TRUE(QDir(sandbox.filePath(QStringLiteral("UpdLogs"))).isEmpty());
    EXPECT_FALSE(QFile::exists(sandbox.filePath(QStringLiteral("PC07.log"))));
}

} // namespace
