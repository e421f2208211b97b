#pragma once

// What the window's and the updater's tests build a machine from: files in a sandbox, the
// registry file, and processes named like the product's helpers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tolvar::testsupport {

// Writes a file of a sandbox, making its folders first.
inline void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The file's contents, or "<missing>".
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Writes the registry file the Linux build reads, recording each product's install path.
inline void writeRegistry(const QString& path,
                          const std::vector<std::pair<QString, QString>>& installPaths) {
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n");
    for (const auto& [product, directory] : installPaths) {
        text += QStringLiteral("[HKEY_LOCAL_MACHINE\\Software\\TolvarInfo\\%1]\r\n"
                               "\"InstallPath\"=\"%2\"\r\n")
                    .arg(product, directory);
    }
    writeFile(path, text.toUtf8());
}

// A running process named like one of the product's helpers, which an update may end.
class HelperProcess : public QProcess {
public:
    explicit HelperProcess(const QString& name) {
        start(QStringLiteral("bash"),
              {QStringLiteral("-c"), QStringLiteral("exec -a %1 sleep 60").arg(name)});
        // Until exec has run, it still carries the shell's name.
        const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(processId());
        for (int i = 0; i < 2000 && !readFile(cmdline).startsWith(name.toUtf8()); ++i) {
            QTest::qSleep(1);
        }
    }
    ~HelperProcess() override {
        kill();
        waitForFinished(5000);
    }
    // Killed, as an update ends it (waiting up to 5 s for that); still running once a kill, had
    // one come, would have shown.
    bool ended() { return !running(5000) && exitStatus() == CrashExit; }
    bool running(int milliseconds = 200) {
        waitForFinished(milliseconds);
        return state() == Running;
    }
};

} // namespace tolvar::testsupport
