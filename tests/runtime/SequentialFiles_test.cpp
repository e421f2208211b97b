#include "RuntimeTestSupport.h"
#include "runtime/SequentialFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tolvar::rt;
using namespace Qt::Literals::StringLiterals;
using tolvar::rt::test::failureOf;

namespace {

TEST(SequentialFiles, NumbersRunOutAfter255AndEachLineIsOnDiskBeforeTheFileIsClosed) {
    const QTemporaryDir folder;
    EXPECT_EQ(files::freeFile(), 1);
    for (int number = 1; number <= 255; ++number) {
        files::openForOutput(number, folder.filePath(QString::number(number)));
    }
    EXPECT_EQ(failureOf([] { files::freeFile(); }), desc::TooManyFiles);
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, folder.path()); }), desc::FileAlreadyOpen);
    for (const int outside : {0, 256}) {
        EXPECT_EQ(failureOf([&] { files::openForOutput(outside, folder.filePath(u"x"_s)); }),
                  desc::BadFileNameOrNumber);
    }
    files::close(7);
    EXPECT_EQ(files::freeFile(), 7);
    EXPECT_EQ(failureOf([] { files::printLine(7, QStringLiteral("x")); }),
              desc::BadFileNameOrNumber);

    const QString log = folder.filePath(QStringLiteral("Updater.log"));
    const QString accented = QStringLiteral("Caf\u00e9 \u00fcber Norvik");
    files::openForOutput(7, log);
    files::printLine(7, accented);
    files::printLine(7, QString());
    QFile written(log);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), accented.toLocal8Bit() + QByteArray("\r\n\r\n"));
    files::closeAll();
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, folder.filePath(QStringLiteral("no/x"))); }),
              desc::PathNotFound);
    EXPECT_EQ(failureOf([] { files::openForOutput(1, QString()); }), desc::PathNotFound);
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, log + QStringLiteral("/x")); }),
              desc::PathNotFound);
#ifdef Q_OS_LINUX
    EXPECT_EQ(failureOf([] { files::openForOutput(1, QStringLiteral("/sys/x")); }),
              desc::PermissionDenied);
    EXPECT_EQ(failureOf([&] { files::openForOutput(1, folder.path()); }),
              desc::PathFileAccessError);
    files::openForOutput(1, QStringLiteral("/dev/full"));
    EXPECT_EQ(failureOf([] { files::printLine(1, QStringLiteral("x")); }), desc::DiskFull);
#endif
    files::closeAll();
}

} // namespace
