#include "platform/ProfileFile.h"
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

} // namespace

class ProfileFileTest : public TreeFixture {
protected:
    // Each file is read through the platform (on Windows its own GetPrivateProfileStringA) and
    // its text through the portable reader, which must agree. The platform reads it by its full
    // path, which on POSIX is taken from the file system's root: the tests leave TOLVAR_ROOT unset.
    // Every text gets a file of its own name, so no cache of the platform's can answer for it.
    void expectReads(const std::string& text, std::initializer_list<Read> reads) {
        const auto file = root / (std::to_string(files++) + ".ini");
        writeFile(file, text);
        for (const auto& [section, key, defaultText, expected, size] : reads) {
            EXPECT_EQ(readProfileString(section, key, defaultText, size, file.string()), expected)
                << "[" << section << "] " << key;
            EXPECT_EQ(profileString(decodeTextFile(text), section, key, defaultText, size),
                      expected)
                << "[" << section << "] " << key;
        }
    }

    int files = 0;
};

TEST_F(ProfileFileTest, ReadsKeysAsGetPrivateProfileStringDoes) {
    expectReads(readFile(fixture("profile/TOLVARCONFIG.INI")),
                {
                    {"ScrReso", "Opt", "0", "1"},
                    {"SCRRESO", "X", "0", "  800  "},
                    {"scrreso", "y", "0", "600"},
                    {"ScrReso", "Empty", "0", ""},
                    {"ScrReso", "Hidden", "0", "0"},
                    {"ScrReso", "Missing", " 7 \t  ", " 7 \t"},
                    {"ScrReso", "X", "0", "  8", 4},
                    {"ScrReso", "X", "0", "", 0},
                });
    expectReads(readFile(fixture("profile/breaks-and-names.ini")),
                {
                    {"Breaks", "Key", "d", "cr only"},
                    {" Breaks\t", "\tKey ", "d", "cr only"},
                    {"", "Lead", "d", "before any section"},
                    {"Breaks", "Bare", "d", "d"},
                    {"Breaks", "Stays", "d", "in Breaks"},
                    {"Odd]name", "Key", "d", "odd"},
                });
    expectReads("[S]\r\nK=ab\0cd\r\nQ=\"\"\r\n"s, {{"S", "K", "d", "ab"}, {"S", "Q", "d", ""}});
    EXPECT_EQ(profileString("[S]\r\nK=\"Tølvar\"\r\n", "s", "k", "", 4), "Tøl")
        << "the size counts characters, not bytes";
}
