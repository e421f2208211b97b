#include "platform/ScopedEnv.h"
#include "platform/TreeFixture.h"
#include "platform/modAPIs.h"
#include "runtime/core/Failure.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace tolvar::modAPIs;

class modAPIsTest : public TreeFixture {};

// Only a string asked as a string and a 32-bit number asked as one are read; anything else,
// including a key or root that is not there and a string too long to trim, gives the default.
TEST_F(modAPIsTest, ReadRegistryValueGivesStringsAndNumbersOfTheTypeAsked) {
    writeFile(root / "registry.reg",
              "Windows Registry Editor Version 5.00\n"
              "[HKLM\\Lumeo]\n\"Path\"=\"C:\\\\Apps\"\n\"Data\"=hex(2):41,00\n"
              "\"Unended\"=hex(1):3d,d8,00,de\n\"Over\"=\"" +
                  repeated(32767, "x") +
                  "\"\n[HKCU\\Desktop]\n\"LogPixels\"=dword:60\n\"AllBits\"=dword:ffffffff\n");
    ScopedEnv registry("TOLVAR_REGISTRY", (root / "registry.reg").string());
    const struct {
        RootKey rootKey;
        const char* key;
        const char* name;
        int type;
        const char* expected;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "Lumeo", "Path", 1, "C:\\Apps"},
        // Without its closing NUL, ending in a character beyond 16 bits.
        {HKEY_LOCAL_MACHINE, "Lumeo", "Unended", 1, "\U0001F600"},
        {HKEY_CURRENT_USER, "Desktop", "LogPixels", 4, "96"},
        {HKEY_CURRENT_USER, "Desktop", "AllBits", 4, "-1"},
        {HKEY_CURRENT_USER, "Desktop", "LogPixels", 1, "default"},
        {HKEY_LOCAL_MACHINE, "Lumeo", "Path", 4, "default"},
        {HKEY_LOCAL_MACHINE, "Lumeo", "Data", 1, "default"},
        {HKEY_LOCAL_MACHINE, "Lumeo", "Over", 1, "default"},
        {HKEY_LOCAL_MACHINE, "Desktop", "LogPixels", 4, "default"},
        {0x80000000, "Lumeo", "Path", 1, "default"},
    };
    for (const auto& [rootKey, key, name, type, expected] : cases) {
        EXPECT_EQ(ReadRegistryValue(rootKey, key, name, type, "default"), expected)
            << key << " : " << name << " as type " << type;
    }
}

// The profile is read into a buffer of 255 characters, the last of them the closing NUL. A file
// of up to 16 MiB is read; a larger one is taken for none.
TEST_F(modAPIsTest, ReadConfigValueGivesAtMost254Characters) {
    std::string text = "[ScrReso]\nX=" + repeated(300, "1") + "\n";
    text.resize(16 * 1024 * 1024, '\n');
    writeFile(root / "TOLVARCONFIG.INI", text);
    ScopedEnv drive("TOLVAR_ROOT", root.string());
    EXPECT_EQ(ReadConfigValue("ScrReso", "X", "0"), repeated(254, "1"));
    EXPECT_EQ(ReadConfigValue("ScrReso", "Y", "0"), "0");
    writeFile(root / "TOLVARCONFIG.INI", text + "\n");
    EXPECT_EQ(ReadConfigValue("ScrReso", "X", "0"), "0");
}

// An empty TOLVAR_ROOT is none: the file system's root, never the working directory.
TEST_F(modAPIsTest, AnEmptyDriveRootIsTheFileSystemsRoot) {
    ASSERT_FALSE(present("/TOLVARCONFIG.INI"));
    writeFile(root / "TOLVARCONFIG.INI", "[ScrReso]\nX=1\n");
    const fs::path working = fs::current_path();
    fs::current_path(root);
    ScopedEnv drive("TOLVAR_ROOT", "");
    EXPECT_EQ(ReadConfigValue("ScrReso", "X", "0"), "0");
    fs::current_path(working);
}

TEST(modAPIsTrimTest, TrimAtNullCountsCharactersInASixteenBitPosition) {
    const std::string nearLimit = repeated(32766, "é");
    EXPECT_EQ(TrimAtNull("C:\\Apps\0\0junk"s), "C:\\Apps");
    EXPECT_EQ(TrimAtNull(nearLimit + '\0'), nearLimit);
    EXPECT_EQ(TrimAtNull(repeated(40000, "x")), repeated(40000, "x"));
    EXPECT_EQ(failureOf([] { TrimAtNull(repeated(32767, "x") + '\0'); }),
              tolvar::rt::desc::Overflow);
}
