#include "RuntimeTestSupport.h"
#include "runtime/Application.h"
#include "runtime/SequentialFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

using namespace tolvar::rt;
using tolvar::rt::test::failureOf;

namespace {

QByteArray contentOf(const QString& file) {
    QFile read(file);
    return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("<missing>");
}

class SequentialFiles : public ::testing::Test {
protected:
    void TearDown() override { files::closeAll(); }
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    QTemporaryDir folder;
};

TEST_F(SequentialFiles, NumbersRunOutAfter255AndEachFailureNamesItsCause) {
    EXPECT_EQ(files::freeFile(), 1);
    for (int number = 1; number <= 255; ++number) {
        files::openForOutput(number, folder.filePath(QString::number(number)));
    }
    EXPECT_EQ(failureOf([] { files::freeFile(); }), desc::TooManyFiles);
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, path("a.log")); }), desc::FileAlreadyOpen);
    files::close(7);
    EXPECT_EQ(files::freeFile(), 7);
    EXPECT_EQ(failureOf([] { files::printLine(7, QStringLiteral("x")); }),
              desc::BadFileNameOrNumber);
    EXPECT_EQ(failureOf([&] { files::openForOutput(7, path("no/a.log")); }), desc::PathNotFound);
}

TEST_F(SequentialFiles, OutputEmptiesTheFileAndWritesEightBitLinesEndingInCrLf) {
    const QString file = path("Updater.log");
    files::openForOutput(1, file);
    files::printLine(1, QStringLiteral("left from an earlier run"));
    files::close(1);

    const QString accented = QStringLiteral("Caf\u00e9 \u00fcber Norvik");
    files::openForOutput(1, file);
    EXPECT_EQ(contentOf(file), QByteArray());
    files::printLine(1, QStringLiteral("[START]"));
    files::printLine(1, accented);
    files::printLine(1, QString());
    EXPECT_EQ(contentOf(file),
              QByteArray("[START]\r\n") + accented.toLocal8Bit() + QByteArray("\r\n\r\n"))
        << "each line is on disk before the file is closed";
}

TEST(AppEnd, EndsAtOnceWithTheStatusGivenAndOpenFilesClosed) {
    // The death test's child reruns this body from the top, so it must find the parent's path.
    constexpr const char* endFileVariable = "TOLVAR_TEST_END_FILE";
    std::optional<QTemporaryDir> folder;
    QString path = qEnvironmentVariable(endFileVariable);
    if (path.isEmpty()) {
        folder.emplace();
        path = folder->filePath(QStringLiteral("Updater.log"));
        qputenv(endFileVariable, QFile::encodeName(path));
    }
    EXPECT_EXIT(
        {
            const int number = files::freeFile();
            files::openForOutput(number, path);
            files::printLine(number, QStringLiteral("[END]"));
            QTimer::singleShot(0, [number] { files::printLine(number, QStringLiteral("late")); });
            app::end(3);
        },
        ::testing::ExitedWithCode(3), "");
    qunsetenv(endFileVariable);
    EXPECT_EQ(contentOf(path), QByteArray("[END]\r\n")) << "no event ran after the end";
}

} // namespace
