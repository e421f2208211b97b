#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

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

} // namespace tolvar::testsupport
