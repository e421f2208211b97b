#pragma once

#include "support/SandboxFiles.h"

#include <QProcess>
#include <QTest>

namespace tolvar::testsupport {

// A running process named like one of the product's helpers, which an update may end.
class HelperProcess : public QProcess {
public:
    explicit HelperProcess(const QString& name) {
        start(QStringLiteral("bash"),
              {QStringLiteral("-c"), QStringLiteral("exec -a %1 sleep 60").arg(name)});
        waitForStarted();
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
    // Killed (waiting a while for that), or still running after a while.
    bool ended() { return !running(5000) && exitStatus() == CrashExit; }
    bool running(int milliseconds = 200) {
        waitForFinished(milliseconds);
        return state() == Running;
    }
};

} // namespace tolvar::testsupport
