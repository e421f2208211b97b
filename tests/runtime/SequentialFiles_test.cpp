#include "runtime/RuntimeTestSupport.h"
#include "runtime/SequentialFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tolvar::rt;

// A file number is one of 1 to 255 and names one open file at a time.
TEST(SequentialFiles, ANumberOutsideItsRangeOrStillOpenIsRefused) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    for (const int number : {0, 256}) {
        EXPECT_EQ(test::failureOf([&] { files::openForOutput(number, path); }),
                  desc::BadFileNameOrNumber);
    }
    const int number = files::freeFile();
    files::openForOutput(number, path);
    EXPECT_EQ(test::failureOf([&] { files::openForOutput(number, path); }), desc::FileAlreadyOpen);
    files::close(number);
    files::openForOutput(255, path);
    files::printLine(255, QStringLiteral("last"));
    files::close(255);
}
