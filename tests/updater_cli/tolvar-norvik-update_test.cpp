#include "support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>

using namespace Qt::Literals::StringLiterals;
using namespace tolvar::testsupport;

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out, err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    // The lines, with each copy's time as "T".
    QString lines() const {
        return QString::fromUtf8(out).replace(QRegularExpression(u"\\d+\\.\\d s\\)"_s), u"T s)"_s);
    }
};

// A machine in a folder: the updater copied into program/ with its Norvik folder beside it, the
// products' directories, and a registry file naming them.
class Updater : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.isValid());
        writeFile(source + u"/agent.cfg"_s, "new agent");
        writeFile(source + u"/lib/runtime.dll"_s, "runtime");
        ASSERT_TRUE(QFile::copy(QStringLiteral(TOLVAR_UPDATER), updater));
        writeFile(lumeo + u"/Norvik/agent.cfg"_s, "old agent");
        writeFile(lumeo + u"/Norvik/obsolete.dll"_s, "obsolete");
        ASSERT_TRUE(QDir().mkpath(vantro));
        writeRegistry(registry, {{u"Lumeo"_s, lumeo}, {u"Vantro"_s, vantro}});
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(registry));
    }

    Result run(const QStringList& arguments) const {
        QProcess process;
        process.start(updater, arguments);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QTemporaryDir sandbox;
    const QString updater = sandbox.filePath(u"program/tolvar-norvik-update"_s);
    const QString source = sandbox.filePath(u"program/Norvik"_s);
    const QString lumeo = sandbox.filePath(u"products/Lumeo"_s);
    const QString vantro = sandbox.filePath(u"products/Vantro"_s);
    const QString registry = sandbox.filePath(u"registry.reg"_s);
};

TEST_F(Updater, ChecksThenUpdatesEveryInstalledProductAndEndsTheHelpersFirst) {
    HelperProcess agent(u"norvikAgent.exe"_s), node(u"NODE.EXE"_s), other(u"anode.exe"_s);
    const Result check = run({u"--check"_s});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_TRUE(run({u"--check"_s, u"--json"_s}).json()[u"check"_s].toBool());
    EXPECT_EQ(check.out, "Lumeo: would update (2 files, 16 bytes)\n"
                         "Vantro: would update (2 files, 16 bytes)\n");
    EXPECT_TRUE(agent.running());
    EXPECT_EQ(QDir(vantro).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    const Result first = run({});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.lines(), u"Lumeo: updated (2 files, 16 bytes, T s)\n"
                             "Vantro: updated (2 files, 16 bytes, T s)\n"
                             "Ended norvikAgent.exe (process %1)\nEnded Node.exe (process %2)\n"_s
                                 .arg(agent.processId())
                                 .arg(node.processId()));
    EXPECT_TRUE(agent.ended() && node.ended() && other.running());
    for (const QString& product : {lumeo, vantro}) {
        EXPECT_EQ(readFile(product + u"/Norvik/agent.cfg"_s), "new agent");
        EXPECT_EQ(readFile(product + u"/Norvik/lib/runtime.dll"_s), "runtime");
    }
    EXPECT_FALSE(QFile::exists(lumeo + u"/Norvik/obsolete.dll"_s));
    EXPECT_TRUE(first.err.isEmpty()) << "no progress bar where standard error is no terminal";
}

// A folder this program installed, its modes and links included, is left alone without ending
// any process until the source changes, if only in a file's permissions or a link's target.
TEST_F(Updater, AProductWhoseFolderIsTheSourcesIsLeftAloneUntilTheSourceChanges) {
    const QString file = source + u"/agent.cfg"_s;
    ASSERT_TRUE(QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner) &&
                QFile::link(u"agent.cfg"_s, source + u"/current"_s));
    ASSERT_EQ(run({}).exitCode, 0);
    HelperProcess agent(u"norvikAgentW.exe"_s);
    const Result again = run({u"--product"_s, u"lumeo"_s});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.lines(), u"Lumeo: unchanged\n"_s);
    EXPECT_TRUE(agent.running());

    writeFile(file, "NEW AGENT");
    QJsonObject changed = run({u"--json"_s, u"--product"_s, u"Lumeo"_s}).json();
    QJsonObject lumeoReport = changed[u"products"_s][0].toObject();
    EXPECT_GE(lumeoReport.take(u"seconds"_s).toDouble(-1), 0);
    EXPECT_EQ(lumeoReport, (QJsonObject{{u"name"_s, u"Lumeo"_s},
                                        {u"directory"_s, lumeo},
                                        {u"outcome"_s, u"updated"_s},
                                        {u"error"_s, QJsonValue()},
                                        {u"files"_s, 2},
                                        {u"bytes"_s, 16}}));
    EXPECT_EQ(changed[u"processesEnded"_s],
              (QJsonArray{
                  QJsonObject{{u"name"_s, u"norvikAgentW.exe"_s}, {u"id"_s, agent.processId()}}}));
    EXPECT_TRUE(agent.ended());
    const auto notExecutable = ~(QFile::ExeOwner | QFile::ExeUser);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::permissions(file) & notExecutable));
    EXPECT_EQ(run({u"--product"_s, u"lumeo"_s}).lines(),
              u"Lumeo: updated (2 files, 16 bytes, T s)\n"_s)
        << "a change of permissions alone is a change";
    ASSERT_TRUE(QFile::remove(source + u"/current"_s) &&
                QFile::link(u"lib"_s, source + u"/current"_s));
    EXPECT_EQ(run({u"--product"_s, u"lumeo"_s}).lines(),
              u"Lumeo: updated (2 files, 16 bytes, T s)\n"_s);
}

// A product's folder that another update holds (its lock), or that holds an entry this program
// did not make under a name it works with, fails that product alone and is left as it was. The
// held one means "try again later" (1618, 82 in 8 bits), unless something else failed.
TEST_F(Updater, AFailedProductKeepsItsFolderAndABusyOneMeansTryAgainLater) {
    // Held as another update holds it, until this test lets go.
    QFile lock(lumeo + u"/Norvik.tolvar-lock"_s);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly) && ::flock(lock.handle(), LOCK_EX) == 0);
    writeFile(vantro + u"/Norvik/agent.cfg"_s, "old agent");
    writeFile(vantro + u"/Norvik.tolvar-old"_s, "someone else's");
    const Result failed = run({u"--json"_s});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.json()[u"products"_s][1][u"files"_s], 0) << "nothing was copied";
    const QString prefix = u"failed, its Norvik folder is as it was: "_s;
    EXPECT_EQ(run({}).lines(), u"Lumeo: %1Another update is working on this folder: '%2/Norvik'\n"
                               "Vantro: %1File already exists: '%3/Norvik.tolvar-old'\n"_s.arg(
                                   prefix, lumeo, vantro));
    for (const QString& product : {lumeo, vantro}) {
        EXPECT_EQ(readFile(product + u"/Norvik/agent.cfg"_s), "old agent");
    }
    EXPECT_EQ(readFile(vantro + u"/Norvik.tolvar-old"_s), "someone else's");

    ASSERT_TRUE(QFile::remove(vantro + u"/Norvik.tolvar-old"_s));
    const Result busy = run({});
    EXPECT_EQ(busy.exitCode, 1618 % 256);
    EXPECT_TRUE(busy.lines().endsWith(u"Vantro: updated (2 files, 16 bytes, T s)\n"_s));
    lock.close();
    EXPECT_EQ(run({}).lines(), u"Lumeo: updated (2 files, 16 bytes, T s)\nVantro: unchanged\n"_s);
}

// A directory the registry names that is gone is reported and fails nothing (a network share is
// never taken); a product named on the command line must be there.
TEST_F(Updater, AProductThatIsNotInstalledFailsTheRunOnlyWhenItWasNamed) {
    // Up to two of the registry's trailing separators go.
    const QString gone = sandbox.filePath(u"uninstalled"_s);
    writeRegistry(registry, {{u"Lumeo"_s, gone + u"///"_s}, {u"Vantro"_s, u"//host/share"_s}});
    const Result stale = run({});
    EXPECT_EQ(stale.exitCode, 0);
    EXPECT_EQ(stale.lines(), u"Lumeo: not installed: Folder not exists %1/\n"_s.arg(gone));

    const Result named = run({u"--product"_s, u"Vantro"_s});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(named.lines(),
              u"Vantro: not installed: No InstallPath for Vantro in the registry\n"_s);

    // Only the first "=" ends the product's name.
    const QString elsewhere = sandbox.filePath(u"a=b"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const Result given = run({u"--dir"_s, u"Vantro="_s + elsewhere});
    EXPECT_EQ(given.exitCode, 0);
    EXPECT_EQ(given.lines(), u"Vantro: updated (2 files, 16 bytes, T s)\n"_s);
}

TEST_F(Updater, AWrongCommandLineOrNoSourceChangesNothingAndExitsWith2) {
    const QStringList wrong[] = {
        {u"--product"_s, u"Other"_s}, {u"--product"_s},
        {u"--dir"_s, u"Lumeo"_s},     {u"--dir"_s, u"Lumeo="_s},
        {u"--frobnicate"_s},          {u"--source"_s, sandbox.filePath(u"none"_s)},
    };
    for (const QStringList& arguments : wrong) {
        const Result refused = run(QStringList{u"--json"_s} + arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_EQ(refused.json()[u"exitCode"_s].toInt(), 2);
        EXPECT_TRUE(refused.err.startsWith("tolvar-norvik-update: "));
    }
    ASSERT_TRUE(QDir(source).removeRecursively());
    EXPECT_EQ(run({}).exitCode, 2) << "no Norvik folder beside the program";
    for (const QString& help : {u"--help"_s, u"-h"_s}) {
        const Result usage = run({help});
        EXPECT_TRUE(usage.exitCode == 0 && usage.out.startsWith("Usage: ")) << usage.err.data();
    }
    const Result version = run({u"--version"_s});
    EXPECT_TRUE(version.exitCode == 0 && version.out.startsWith("tolvar-norvik-update "));
}

} // namespace
