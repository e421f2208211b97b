#include "platform/ProfileFile.h"
#include "platform/ScopedPlatform.h"
#include "platform/TextEncoding.h"
#include "platform/TreeFixture.h"

using namespace std::string_literals;
using namespace tolvar::platform;

namespace {

struct Read {
    const char* section;
    const char* key;
    const char* defaultText;
    const char* expected;
    std::size_t size = 255;
};

// Each file is read where the program reads it, through the platform (on Windows its own
// GetPrivateProfileStringA), and its text through the portable reader, which must agree.
void expectReads(const std::string& text, std::initializer_list<Read> reads) {
    ScopedDriveRootFile profile("TOLVARCONFIG.INI", text);
    if (!profile.ready())
        GTEST_SKIP() << "the drive's root holds a settings file of its own or is read-only";
    for (const auto& [section, key, defaultText, expected, size] : reads) {
        EXPECT_EQ(readProfileString(section, key, defaultText, size, "\\TOLVARCONFIG.INI"),
                  expected)
            << "[" << section << "] " << key;
        EXPECT_EQ(profileString(decodeTextFile(text), section, key, defaultText, size), expected)
            << "[" << section << "] " << key;
    }
}

} // namespace

TEST(ProfileFileTest, ReadsKeysAsGetPrivateProfileStringDoes) {
    expectReads(readFile(fixture("profile/TOLVARCONFIG.INI")),
                {
                    {"ScrReso", "Opt", "0", "1"},
                    {"SCRRESO", "X", "0", "  800  "},
                    {"scrreso", "y", "0", "600"},
                    {"ScrReso", "DPI", "0", "\"120'"},
                    {"ScrReso", "Empty", "0", ""},
                    {"ScrReso", "Note", "0", "800 ; not a comment"},
                    {"ScrReso", "Hidden", "0", "0"},
                    {"ScrReso", "Missing", " 7 \t  ", " 7 \t"},
                    {"Other", "X", "0", "1"},
                    {"Nowhere", "X", "0", "0"},
                    {"ScrReso", "X", "0", "  8", 4},
                    {"ScrReso", "X", "0", "", 0},
                });
}

TEST(ProfileFileTest, BreaksLinesAndFindsNamesAsGetPrivateProfileStringDoes) {
    expectReads(readFile(fixture("profile/breaks-and-names.ini")),
                {
                    {"Breaks", "Key", "d", "cr only"},
                    {" Breaks\t", "\tKey ", "d", "cr only"},
                    {"", "Lead", "d", "before any section"},
                    {"Breaks", "Bare", "d", "d"},
                    {"Breaks", "Stays", "d", "in Breaks"},
                    {"Unclosed", "Stays", "d", "d"},
                    {"Odd]name", "Key", "d", "odd"},
                    {"Odd", "Key", "d", "d"},
                });
    expectReads("[S]\r\nK=ab\0cd\r\n"s, {{"S", "K", "d", "ab"}});
}

TEST(ProfileFileTest, CountsCharactersNotBytes) {
    EXPECT_EQ(profileString("[S]\r\nK=\"Tølvar\"\r\n", "s", "k", "", 4), "Tøl");
    EXPECT_EQ(profileString("[S]\nK=Tølvar", "S", "K", "", 255), "Tølvar");
}
