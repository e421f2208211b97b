#include "RuntimeTestSupport.h"
#include "runtime/SequentialFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tolvar::rt;
using tolvar::rt::test::failureOf;

namespace {

class SequentialFiles : public ::testing::Test {
protected:
    void TearDown() override { files::closeAll(); }

    QString path(const QString& name) const { return folder.filePath(name); }

    static QByteArray contentOf(const QString& file) {
        QFile read(file);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir folder;
};

TEST_F(SequentialFiles, FreeNumbersCountFromOneAndRunOutAfter255) {
    EXPECT_EQ(files::freeFile(), 1);
    files::openForOutput(1, path(QStringLiteral("1.log")));
    EXPECT_EQ(files::freeFile(), 2);
    for (int number = 2; number <= 255; ++number) {
        files::openForOutput(number, path(QString::number(number) + QStringLiteral(".log")));
    }
    EXPECT_EQ(failureOf([] { files::freeFile(); }), "Too many files");
    files::close(7);
    EXPECT_EQ(files::freeFile(), 7) << "the lowest number free";
}

TEST_F(SequentialFiles, OpenForOutputCreatesOrEmptiesTheFile) {
    const QString created = path(QStringLiteral("new.log"));
    files::openForOutput(1, created);
    EXPECT_TRUE(QFile::exists(created));
    files::close(1);
    EXPECT_EQ(contentOf(created), QByteArray());

    const QString existing = path(QStringLiteral("old.log"));
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("left from an earlier run\r\n");
    old.close();
    files::openForOutput(2, existing);
    files::close(2);
    EXPECT_EQ(contentOf(existing), QByteArray());
}

TEST_F(SequentialFiles, PrintLineWritesTheLocalesEightBitTextEndingInCrLf) {
    const QString file = path(QStringLiteral("Updater.log"));
    const QString accented = QStringLiteral("Caf\u00e9 \u00fcber Norvik");
    files::openForOutput(1, file);
    files::printLine(1, QStringLiteral("[START]"));
    files::printLine(1, accented);
    files::printLine(1, QString());
    EXPECT_EQ(contentOf(file),
              QByteArray("[START]\r\n") + accented.toLocal8Bit() + QByteArray("\r\n\r\n"))
        << "each line is on disk before the file is closed";
}

TEST_F(SequentialFiles, FailuresNameTheirCause) {
    EXPECT_EQ(
        failureOf([&] { files::openForOutput(1, path(QStringLiteral("missing/Updater.log"))); }),
        "Path not found");
    EXPECT_EQ(failureOf([] { files::printLine(1, QStringLiteral("x")); }),
              "Bad file name or number");
    EXPECT_EQ(failureOf([&] { files::openForOutput(0, path(QStringLiteral("a.log"))); }),
              "Bad file name or number");
    EXPECT_EQ(failureOf([&] { files::openForOutput(256, path(QStringLiteral("a.log"))); }),
              "Bad file name or number");

    files::openForOutput(1, path(QStringLiteral("a.log")));
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, path(QStringLiteral("b.log"))); }),
              "File already open");
    files::close(1);
    EXPECT_EQ(failureOf([] { files::printLine(1, QStringLiteral("x")); }),
              "Bad file name or number")
        << "a closed number is no longer usable";
    EXPECT_EQ(failureOf([] {
                  files::close(1);
                  files::close(9);
                  files::close(0);
                  files::close(300);
              }),
              "")
        << "closing a number that is not open does nothing";
}

} // namespace
