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
    // Killed, as an update ends it; waits a while for that.
    bool ended() {
        waitForFinished(5000);
        return state() == NotRunning && exitStatus() == CrashExit;
    }
    // Still running a while after it was asked: what ends it has had time to.
    bool running() {
        waitForFinished(200);
        return state() == Running;
    }
};

} // namespace tolvar::testsupport
