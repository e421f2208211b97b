#include "display/modReso.h"
#include "platform/ScopedEnv.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tolvar {
namespace {

// The user's DPI is the number the registry holds: 120 raises the screen's 96 and so lowers the
// ratios by a fifth. Without a settings file at the drive's root the measured screen counts.
TEST(InitScrReso, TakesTheUsersDpiFromTheRegistry) {
    const QTemporaryDir root;
    const QString registry = root.filePath(QStringLiteral("user.reg"));
    const ScopedEnv drive("TOLVAR_ROOT", QFile::encodeName(root.path()).toStdString());
    const ScopedEnv hives("TOLVAR_REGISTRY", QFile::encodeName(registry).toStdString());
    modReso::InitScrReso();
    const float measured = modReso::ScaleX;
    QFile file(registry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
               "\"LogPixels\"=dword:00000078\r\n");
    file.close();
    modReso::InitScrReso();
    EXPECT_FLOAT_EQ(modReso::ScaleX, measured * 96 / 120);
    modReso::ScaleX = modReso::ScaleY = modReso::ScaleAvg = 0;
}

} // namespace
} // namespace tolvar
