#include "runtime/Application.h"

#include "runtime/SequentialFiles.h"
#include "runtime/core/Failure.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace tolvar::rt::app {

namespace {
std::optional<QString>& executableDirectoryOverride() {
    static std::optional<QString> value;
    return value;
}
std::optional<QString>& commandOverride() {
    static std::optional<QString> value;
    return value;
}
} // namespace

void prepareProcess() {
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void prepareApplication() {
    QApplication::setApplicationName(title());
    // One style on every desktop, so that button colours and metrics are the program's own.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The forms are designed in a Palatino-like face; where it is not installed the closest
    // free faces stand in, rather than whatever sans face the font matcher would pick.
    const QString designFace = QStringLiteral("Book Antiqua");
    if (!QFontDatabase::hasFamily(designFace)) {
        QFont::insertSubstitutions(designFace,
                                   {QStringLiteral("P052"), QStringLiteral("TeX Gyre Pagella"),
                                    QStringLiteral("URW Palladio L"), QStringLiteral("Palatino")});
    }
}

QString title() {
    return QStringLiteral("TolvarNorvikUpdater");
}

QString executableDirectory() {
    if (executableDirectoryOverride()) {
        return *executableDirectoryOverride();
    }
    return QCoreApplication::applicationDirPath();
}

void setExecutableDirectoryForTesting(const QString& directory) {
    executableDirectoryOverride() = directory;
}

QString command() {
    if (commandOverride()) {
        return *commandOverride();
    }
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) {
        arguments.removeFirst();
    }
    return arguments.join(QLatin1Char(' '));
}

void setCommandForTesting(const QString& commandText) {
    commandOverride() = commandText;
}

void doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void failureInjectionPoint(const char* site) {
    const QString injected = qEnvironmentVariable("TOLVAR_INJECT_FAILURE");
    const QString prefix = QLatin1String(site) + QLatin1Char(':');
    if (injected.startsWith(prefix)) {
        raise(injected.mid(prefix.size()).toStdString());
    }
}

void end(int status) {
    files::closeAll();
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace tolvar::rt::app
