#include "support/SandboxFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// Windows Installer's 1618 as a POSIX exit status, which keeps 8 bits.
constexpr int UpdateInProgress = 1618 % 256;

namespace {

using tolvar::testsupport::readFile;
using tolvar::testsupport::writeFile;

struct Result {
    int exitCode = -1;
    QByteArray out, err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    QJsonObject product(const QString& name) const {
        for (const QJsonValue& entry : json()[u"products"_s].toArray()) {
            if (entry[u"name"_s].toString() == name) {
                return entry.toObject();
            }
        }
        return {};
    }
    QString outcome(const QString& name) const { return product(name)[u"outcome"_s].toString(); }
};

// A running process named like one of the product's helpers.
class Helper {
public:
    explicit Helper(const QString& name) {
        process_.start(u"bash"_s, {u"-c"_s, u"exec -a %1 sleep 60"_s.arg(name)});
        process_.waitForStarted();
        const QString cmdline = u"/proc/%1/cmdline"_s.arg(process_.processId());
        for (int i = 0; i < 2000 && !readFile(cmdline).startsWith(name.toUtf8()); ++i) {
            QTest::qSleep(1);
        }
    }
    ~Helper() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    qint64 id() const { return process_.processId(); }
    bool ended() {
        process_.waitForFinished(5000);
        return process_.state() == QProcess::NotRunning &&
               process_.exitStatus() == QProcess::CrashExit;
    }
    bool running() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

// A machine in a folder: the updater copied into program/ with its Norvik folder beside it, the
// products' directories, and a registry file naming them.
class Updater : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        ASSERT_TRUE(QDir().mkpath(program));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVAR_UPDATER), updater));
        writeFile(source + u"/agent.cfg"_s, "new agent");
        writeFile(source + u"/lib/runtime.dll"_s, "runtime");
        writeFile(lumeo + u"/Norvik/agent.cfg"_s, "old agent");
        writeFile(lumeo + u"/Norvik/obsolete.dll"_s, "obsolete");
        ASSERT_TRUE(QDir().mkpath(vantro));
        setRegistry({{u"Lumeo"_s, lumeo}, {u"Vantro"_s, vantro + u"/"_s}});
    }

    void setRegistry(const std::vector<std::pair<QString, QString>>& installPaths) {
        QByteArray text = "Windows Registry Editor Version 5.00\r\n";
        for (const auto& [product, path] : installPaths) {
            text +=
                u"[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\%1]\r\n\"InstallPath\"=\"%2\"\r\n"_s
                    .arg(product, path)
                    .toUtf8();
        }
        writeFile(registry, text);
    }

    Result run(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"TOLVAR_REGISTRY"_s, registry);
        process.setProcessEnvironment(environment);
        process.start(updater, arguments);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QTemporaryDir sandbox;
    const QString program = sandbox.filePath(u"program"_s);
    const QString updater = program + u"/tolvar-norvik-update"_s;
    const QString source = program + u"/Norvik"_s;
    const QString lumeo = sandbox.filePath(u"products/Lumeo"_s);
    const QString vantro = sandbox.filePath(u"products/Vantro"_s);
    const QString registry = sandbox.filePath(u"registry.reg"_s);
};

TEST_F(Updater, UpdatesEveryInstalledProductAndEndsTheHelpersFirst) {
    Helper agent(u"norvikAgent.exe"_s), node(u"NODE.EXE"_s), other(u"anode.exe"_s);
    const Result first = run({u"--json"_s});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.outcome(u"Lumeo"_s), u"updated"_s);
    EXPECT_EQ(first.outcome(u"Vantro"_s), u"updated"_s);
    const QJsonObject lumeoReport = first.product(u"Lumeo"_s);
    EXPECT_EQ(lumeoReport[u"directory"_s].toString(), lumeo);
    EXPECT_EQ(lumeoReport[u"files"_s].toInt(), 2);
    EXPECT_EQ(lumeoReport[u"bytes"_s].toInt(), 16);
    EXPECT_TRUE(lumeoReport[u"error"_s].isNull());
    EXPECT_EQ(first.product(u"Vantro"_s)[u"directory"_s].toString(), vantro)
        << "the registry's trailing separator goes";
    EXPECT_EQ(first.json()[u"processesEnded"_s].toArray(),
              (QJsonArray{QJsonObject{{u"name"_s, u"norvikAgent.exe"_s}, {u"id"_s, agent.id()}},
                          QJsonObject{{u"name"_s, u"Node.exe"_s}, {u"id"_s, node.id()}}}));
    EXPECT_TRUE(agent.ended());
    EXPECT_TRUE(node.ended());
    EXPECT_TRUE(other.running());
    for (const QString& product : {lumeo, vantro}) {
        EXPECT_EQ(readFile(product + u"/Norvik/agent.cfg"_s), "new agent");
        EXPECT_EQ(readFile(product + u"/Norvik/lib/runtime.dll"_s), "runtime");
    }
    EXPECT_FALSE(QFile::exists(lumeo + u"/Norvik/obsolete.dll"_s));
    EXPECT_TRUE(first.err.isEmpty()) << "no progress bar where standard error is no terminal";
}

// Every kind of difference is found, and a folder this program installed is seen to be the same
// without ending any process; a file that differs in time only is read and found the same.
TEST_F(Updater, AProductWhoseFolderIsTheSourcesIsLeftAloneUntilTheSourceChanges) {
    ASSERT_EQ(run({}).exitCode, 0);
    const QString file = source + u"/agent.cfg"_s;
    const QString link = source + u"/current"_s;
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"contents of the same size", [&] { writeFile(file, "NEW AGENT"); }},
        {"a file's size", [&] { writeFile(file, "newer agent"); }},
        {"permission bits",
         [&] { QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner); }},
        {"a new link", [&] { QFile::link(u"agent.cfg"_s, link); }},
        {"a link's target",
         [&] {
             QFile::remove(link);
             QFile::link(u"lib"_s, link);
         }},
        {"a file for a folder",
         [&] {
             QDir(source + u"/lib"_s).removeRecursively();
             writeFile(source + u"/lib"_s, "runtime");
         }},
        {"a new empty folder", [&] { QDir().mkpath(source + u"/logs"_s); }},
    };
    for (const auto& [change, make] : changes) {
        make();
        Helper agent(u"norvikAgentW.exe"_s);
        const Result changed = run({u"--json"_s, u"--product"_s, u"lumeo"_s});
        EXPECT_EQ(changed.outcome(u"Lumeo"_s), u"updated"_s) << change;
        EXPECT_TRUE(agent.ended()) << change;
        EXPECT_EQ(changed.json()[u"products"_s].toArray().size(), 1) << change;

        QFile handle(lumeo + u"/Norvik/agent.cfg"_s);
        ASSERT_TRUE(handle.open(QIODevice::ReadWrite) &&
                    handle.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                       QFileDevice::FileModificationTime));
        handle.close();
        Helper spared(u"norvikAgentW.exe"_s);
        const Result again = run({u"--json"_s, u"--product"_s, u"Lumeo"_s});
        EXPECT_EQ(again.outcome(u"Lumeo"_s), u"unchanged"_s) << change;
        EXPECT_EQ(again.exitCode, 0) << change;
        EXPECT_TRUE(again.json()[u"processesEnded"_s].toArray().isEmpty()) << change;
        EXPECT_TRUE(spared.running()) << change;
    }
}

TEST_F(Updater, CheckSaysWhatWouldBeDoneAndTouchesNothing) {
    Helper agent(u"norvikAgent.exe"_s);
    const Result check = run({u"--check"_s, u"--json"_s});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.outcome(u"Lumeo"_s), u"would-update"_s);
    EXPECT_EQ(check.outcome(u"Vantro"_s), u"would-update"_s);
    EXPECT_EQ(check.product(u"Lumeo"_s)[u"files"_s].toInt(), 2);
    EXPECT_TRUE(check.json()[u"check"_s].toBool());
    EXPECT_TRUE(agent.running());
    EXPECT_EQ(readFile(lumeo + u"/Norvik/agent.cfg"_s), "old agent");
    EXPECT_EQ(QDir(vantro).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    const Result lines = run({u"--check"_s});
    EXPECT_EQ(lines.out, "Lumeo: would update (2 files, 16 bytes)\n"
                         "Vantro: would update (2 files, 16 bytes)\n");
}

TEST_F(Updater, AFailedProductKeepsItsFolderAndTheOthersAreStillUpdated) {
    // An entry the updater did not make, under a name it works with, is never touched.
    writeFile(vantro + u"/Norvik/agent.cfg"_s, "old agent");
    writeFile(vantro + u"/Norvik.tolvar-old"_s, "someone else's");
    const Result failed = run({u"--json"_s});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.outcome(u"Lumeo"_s), u"updated"_s);
    EXPECT_EQ(failed.outcome(u"Vantro"_s), u"failed"_s);
    EXPECT_EQ(failed.product(u"Vantro"_s)[u"files"_s].toInt(), 0) << "nothing was copied";
    EXPECT_EQ(failed.product(u"Vantro"_s)[u"error"_s].toString(),
              u"File already exists: '%1/Norvik.tolvar-old'"_s.arg(vantro));
    EXPECT_EQ(readFile(vantro + u"/Norvik/agent.cfg"_s), "old agent");
    EXPECT_EQ(readFile(vantro + u"/Norvik.tolvar-old"_s), "someone else's");

    const Result lines = run({});
    EXPECT_EQ(lines.exitCode, 1);
    EXPECT_TRUE(lines.out.startsWith("Lumeo: unchanged\nVantro: failed, its Norvik folder is as "
                                     "it was: File already exists: "));
}

TEST_F(Updater, TheLinesSayWhatWasDone) {
    Helper agent(u"norvikAgent.exe"_s);
    const Result lines = run({u"--product"_s, u"Lumeo"_s});
    EXPECT_EQ(lines.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(u"^Lumeo: updated \\(2 files, 16 bytes, \\d+\\.\\d s\\)\n"
                                   "Ended norvikAgent\\.exe \\(process %1\\)\n$"_s.arg(agent.id()))
                    .match(QString::fromUtf8(lines.out))
                    .hasMatch())
        << lines.out.toStdString();
}

// Products the registry knows are chosen by default; one it names a directory for that is gone is
// reported and fails nothing, while one named on the command line must be there.
TEST_F(Updater, AProductThatIsNotInstalledFailsTheRunOnlyWhenItWasNamed) {
    setRegistry({{u"Lumeo"_s, sandbox.filePath(u"uninstalled"_s)}});
    const Result stale = run({u"--json"_s});
    EXPECT_EQ(stale.exitCode, 0);
    EXPECT_EQ(stale.outcome(u"Lumeo"_s), u"not-installed"_s);
    EXPECT_EQ(stale.json()[u"products"_s].toArray().size(), 1) << "Vantro is not in the registry";

    const Result named = run({u"--json"_s, u"--product"_s, u"Vantro"_s});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(named.product(u"Vantro"_s)[u"error"_s].toString(),
              u"No InstallPath for Vantro in the registry"_s);

    const Result given = run({u"--json"_s, u"--dir"_s, u"Vantro="_s + vantro});
    EXPECT_EQ(given.exitCode, 0);
    EXPECT_EQ(given.outcome(u"Vantro"_s), u"updated"_s);
    EXPECT_EQ(given.json()[u"products"_s].toArray().size(), 1);
}

TEST_F(Updater, AWrongCommandLineOrNoSourceChangesNothingAndExitsWith2) {
    const QStringList wrong[] = {
        {u"--product"_s, u"Other"_s},
        {u"--product"_s},
        {u"--dir"_s, u"Lumeo"_s},
        {u"--frobnicate"_s},
        {u"--source"_s, sandbox.filePath(u"nothing"_s)},
    };
    for (const QStringList& arguments : wrong) {
        const Result refused = run(arguments + QStringList{u"--json"_s});
        EXPECT_EQ(refused.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(refused.json()[u"exitCode"_s].toInt(), 2);
        EXPECT_FALSE(refused.json()[u"error"_s].toString().isEmpty());
        EXPECT_TRUE(refused.err.startsWith("tolvar-norvik-update: "));
    }
    ASSERT_TRUE(QDir(source).removeRecursively());
    EXPECT_EQ(run({}).exitCode, 2) << "no Norvik folder beside the program";
    EXPECT_EQ(readFile(lumeo + u"/Norvik/agent.cfg"_s), "old agent");

    const Result help = run({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* code : {"     0  ", "     1  ", "     2  ", "  1618  ", "82 on Linux"}) {
        EXPECT_TRUE(help.out.contains(code)) << code;
    }
    EXPECT_TRUE(run({u"--version"_s}).out.startsWith("tolvar-norvik-update "));
}

// The lock of a product's folder is what two updaters meet at: one that finds it held says so
// with 1618 and leaves the folder to the other.
TEST_F(Updater, AnotherUpdateOfTheSameProductMeansTryAgainLater) {
    QProcess holder;
    // Held by flock itself (-o), so ending it lets go at once; its command ends with it.
    holder.start(u"flock"_s, {u"-o"_s, lumeo + u"/Norvik.tolvar-lock"_s, u"sh"_s, u"-c"_s,
                              u"while kill -0 $PPID; do sleep 0.1; done"_s});
    for (int i = 0; i < 2000 && !QFile::exists(lumeo + u"/Norvik.tolvar-lock"_s); ++i) {
        QTest::qSleep(1);
    }
    QTest::qSleep(100);
    const Result busy = run({u"--json"_s});
    EXPECT_EQ(busy.exitCode, UpdateInProgress);
    EXPECT_EQ(busy.outcome(u"Lumeo"_s), u"failed"_s);
    EXPECT_EQ(busy.product(u"Lumeo"_s)[u"error"_s].toString(),
              u"Another update is working on this folder: '%1/Norvik'"_s.arg(lumeo));
    EXPECT_EQ(busy.outcome(u"Vantro"_s), u"updated"_s);
    EXPECT_EQ(readFile(lumeo + u"/Norvik/agent.cfg"_s), "old agent");
    holder.kill();
    holder.waitForFinished(5000);
    EXPECT_EQ(run({u"--json"_s}).outcome(u"Lumeo"_s), u"updated"_s);
}

// Two real updaters: the second starts while the first is copying a large folder.
TEST_F(Updater, TwoUpdatersAtOnce) {
    for (int i = 0; i < 2000; ++i) {
        writeFile(source + u"/data/%1/file%2"_s.arg(i % 40).arg(i), QByteArray(1024, 'x'));
    }
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"TOLVAR_REGISTRY"_s, registry);
    first.setProcessEnvironment(environment);
    first.start(updater, {u"--product"_s, u"Lumeo"_s});
    ASSERT_TRUE(first.waitForStarted());
    while (!QFileInfo::exists(lumeo + u"/Norvik.tolvar-new"_s) &&
           first.state() == QProcess::Running) {
        QTest::qSleep(1);
    }
    const Result second = run({u"--product"_s, u"Lumeo"_s});
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(second.exitCode, UpdateInProgress) << second.out.toStdString();
    EXPECT_EQ(readFile(lumeo + u"/Norvik/data/7/file7"_s), QByteArray(1024, 'x'));
}

} // namespace
