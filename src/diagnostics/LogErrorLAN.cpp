#include "diagnostics/LogErrorLAN.h"

#include "diagnostics/ExitStatus.h"
#include "message_box/ShowMsgBox.h"
#include "platform/DriveRoot.h"
#include "runtime/Application.h"
#include "runtime/MessageBoxStyle.h"
#include "runtime/SequentialFiles.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Resume.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace tolvar::modMain {

std::int32_t LogFileNumber = 0;

namespace {

// The path with its "." and ".." resolved the way Windows resolves a path from the drive root:
// ".." at the root stays at the root, so no piece of a command line leads off the drive.
QString withinRoot(const QString& path, QChar separator) {
    QStringList names;
    for (const QString& name : path.split(separator, Qt::SkipEmptyParts)) {
        if (name == QLatin1String("..")) {
            if (!names.isEmpty()) {
                names.removeLast();
            }
        } else if (name != QLatin1String(".")) {
            names.append(name);
        }
    }
    return separator + names.join(separator);
}

// "/" + piece 3 + "/" + piece 2 + ".log" of the command line, at the root of the drive.
QString logPath(const QString& command) {
    const QStringList pieces = command.split(QLatin1Char(':'));
    if (pieces.size() < 4) {
        rt::raise(rt::desc::SubscriptOutOfRange);
    }
    const QChar separator = QDir::separator();
    const QString path = separator + pieces[3] + separator + pieces[2] + QStringLiteral(".log");
    // Two leading separators make a network path, and the stand-in for the drive has none.
    if (path.startsWith(QString(2, separator))) {
        rt::raise(rt::desc::PathNotFound);
    }
    QString root = QString::fromUtf8(platform::driveRoot().u8string().c_str());
    while (root.endsWith(separator)) {
        root.chop(1);
    }
    return root + withinRoot(path, separator);
}

} // namespace

void LogErrorLAN(const QString& message) {
    try {
        if (LogFileNumber == 0) {
            LogFileNumber = rt::files::freeFile();
            rt::files::openForOutput(LogFileNumber, logPath(rt::app::command()));
            rt::files::printLine(LogFileNumber, QStringLiteral("[START]"));
        }
        QString line = message;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(";"));
        line.replace(QLatin1Char('\t'), QStringLiteral("  "));
        rt::files::printLine(LogFileNumber, line);
        if (message == QLatin1String("[END]")) {
            rt::files::close(LogFileNumber);
            LogFileNumber = 0;
            // The log only ever ends after the update window failed to load.
            rt::app::end(exitstatus::LoadFailed);
        }
    } catch (const rt::Failure& failure) {
        rt::step([&] {
            ShowMsgBox(nullptr, QString::fromStdString(failure.description()), rt::Exclamation,
                       QStringLiteral("LogErrorLAN"));
        });
        rt::step([] { rt::files::close(LogFileNumber); });
        LogFileNumber = 0;
        rt::app::end(exitstatus::LogFailed);
    }
}

} // namespace tolvar::modMain
