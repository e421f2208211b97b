#include "platform/ScopedPlatform.h"
#include "platform/TextEncoding.h"
#include "platform/TreeFixture.h"
#include "platform/modAPIs.h"
#include "runtime/core/Failure.h"

using namespace std::string_literals;
using namespace tolvar::modAPIs;

namespace {

std::string repeated(const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

// Only a string asked as a string and a 32-bit number asked as one are read; anything else,
// including a key or root that is not there, gives the default.
TEST(modAPIsTest, ReadRegistryValueGivesStringsAndNumbersOfTheTypeAsked) {
    ScopedRegistry registry(fixture("registry/windows-export.reg"));
    const std::string lumeo = "Software\\TolvarInfo\\Lumeo";
    const std::string desktop = "Control Panel\\Desktop";
    const struct {
        RootKey root;
        std::string key;
        const char* name;
        int type;
        const char* expected;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, lumeo, "InstallPath", 1, "C:\\Program Files\\Tolvar\\Lumeo\\"},
        {HKEY_LOCAL_MACHINE, lumeo, "Cut", 1, "C:\\Apps"},
        {HKEY_CURRENT_USER, desktop, "LogPixels", 4, "96"},
        {HKEY_CURRENT_USER, desktop, "AllBits", 4, "-1"},
        {HKEY_CURRENT_USER, desktop, "LogPixels", 1, "default"},
        {HKEY_CURRENT_USER, desktop, "Quoted", 4, "default"},
        {HKEY_LOCAL_MACHINE, lumeo, "DataDir", 1, "default"},
        {HKEY_LOCAL_MACHINE, lumeo, "InstallPath", 2, "default"},
        {HKEY_LOCAL_MACHINE, desktop, "LogPixels", 4, "default"},
        {0x80000000, lumeo, "InstallPath", 1, "default"},
    };
    for (const auto& [root, key, name, type, expected] : cases)
        EXPECT_EQ(ReadRegistryValue(root, key, name, type, "default"), expected)
            << key << " : " << name << " as type " << type;
}

TEST(modAPIsTest, TrimAtNullCountsCharactersInASixteenBitPosition) {
    const std::string nearLimit = repeated("é", 32766);
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"\0abc"s, ""},
        {"C:\\Apps\0\0junk"s, "C:\\Apps"},
        {nearLimit + '\0', nearLimit},
        {repeated("x", 40000), repeated("x", 40000)},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(TrimAtNull(text), expected);
    EXPECT_EQ(failureOf([] { TrimAtNull(repeated("x", 32767) + '\0'); }),
              tolvar::rt::desc::Overflow);
}

class modAPIsFileTest : public TreeFixture {};

TEST_F(modAPIsFileTest, ReadRegistryValueGivesTheDefaultWhenTrimmingOverflows) {
    const auto file = root / "registry.reg";
    writeFile(file,
              "\xff\xfe" + tolvar::platform::utf8ToUtf16le(
                               "Windows Registry Editor Version 5.00\r\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Big]\r\n\"Fits\"=\"" +
                               repeated("é", 32766) + "\"\r\n\"Over\"=\"" + repeated("x", 32767) +
                               "\"\r\n\"Megabyte\"=\"" + repeated("x", 1 << 20) + "\"\r\n"));
    ScopedRegistry registry(file.string());
    const auto read = [](const char* name) {
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Big", name, 1, "default");
    };
    EXPECT_EQ(read("Fits"), repeated("é", 32766));
    EXPECT_EQ(read("Over"), "default");
    EXPECT_EQ(read("Megabyte"), "default");
}

TEST(modAPIsTest, ReadConfigValueReadsAtMost254CharactersOfTheProfileAtTheDriveRoot) {
    {
        ScopedDriveRootFile profile("TOLVARCONFIG.INI",
                                    readFile(fixture("profile/TOLVARCONFIG.INI")));
        if (!profile.ready())
            GTEST_SKIP() << "the drive's root holds a settings file of its own or is read-only";
        EXPECT_EQ(ReadConfigValue("ScrReso", "Opt", "0"), "1");
        EXPECT_EQ(ReadConfigValue("ScrReso", "Long", "0").size(), 254u);
    }
    ScopedDriveRootFile none("TOLVARCONFIG.INI", std::nullopt);
    if (!none.ready())
        GTEST_SKIP() << "the drive's root holds a settings file of its own";
    EXPECT_EQ(ReadConfigValue("ScrReso", "X", repeated("9", 300) + "  "), repeated("9", 254));
}
