#include "platform/ProfileFile.h"
#include "platform/ScopedEnv.h"

#include <gtest/gtest.h>

using namespace tolvar::platform;

TEST(ProfileFileTest, ReadsKeysAsGetPrivateProfileStringDoes) {
    ScopedEnv driveRoot("TOLVAR_ROOT", fixture("profile"));
    const struct {
        const char* section;
        const char* key;
        const char* defaultText;
        const char* expected;
    } cases[] = {
        {"ScrReso", "Opt", "0", "1"},    {"SCRRESO", "X", "0", "  800  "},
        {"scrreso", "y", "0", "600"},    {"ScrReso", "DPI", "0", "\"120'"},
        {"ScrReso", "Empty", "0", ""},   {"ScrReso", "Note", "0", "800 ; not a comment"},
        {"ScrReso", "Hidden", "0", "0"}, {"ScrReso", "Missing", " 7 \t ", " 7"},
        {"Other", "X", "0", "1"},        {"Nowhere", "X", "0", "0"},
    };
    for (const auto& [section, key, defaultText, expected] : cases) {
        EXPECT_EQ(readProfileString(section, key, defaultText, 255, "\\TOLVARCONFIG.INI"), expected)
            << "[" << section << "] " << key;
    }
    EXPECT_EQ(readProfileString("ScrReso", "X", "0", 4, "\\TOLVARCONFIG.INI"), "  8");
    EXPECT_EQ(readProfileString("ScrReso", "X", "0", 0, "\\TOLVARCONFIG.INI"), "");
    EXPECT_EQ(readProfileString("ScrReso", "Opt", "0", 255, "\\tolvarconfig.ini"), "0");
}

TEST(ProfileFileTest, CountsCharactersNotBytes) {
    EXPECT_EQ(profileString("[S]\r\nK=\"Tølvar\"\r\n", "s", "k", "", 4), "Tøl");
    EXPECT_EQ(profileString("[S]\nK=Tølvar", "S", "K", "", 255), "Tølvar");
}
