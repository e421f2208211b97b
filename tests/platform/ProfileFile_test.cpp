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
    // its text through the portable reader, which must agree; where Wine, which the Windows tests
    // run against, is not what Windows does, only the portable reader is asked. The platform reads
    // the file by its full path, which on POSIX is taken from the file system's root: the tests
    // leave TOLVAR_ROOT unset. Every text gets a file of its own name, so no cache can answer.
    void expectReads(const std::string& text, std::initializer_list<Read> reads,
                     bool wineAgrees = true) {
        const auto file = root / (std::to_string(files++) + ".ini");
        writeFile(file, text);
        for (const auto& [section, key, defaultText, expected, size] : reads) {
            if (wineAgrees) {
                EXPECT_EQ(readProfileString(section, key, defaultText, size, file.string()),
                          expected)
                    << "[" << section << "] " << key;
            }
            EXPECT_EQ(profileString(text, section, key, defaultText, size), expected)
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
    EXPECT_EQ(profileString("[S]\r\nK=\"T\xF8lvar\"\r\n", "s", "k", "", 4), "Tøl")
        << "the size counts characters, not bytes";
}

TEST_F(ProfileFileTest, ReadsBlanksNulsQuotesAndEncodingsAsThePlatformDoes) {
    // Form feed, vertical tab and Ctrl-Z are blanks as well as space and tab.
    expectReads("[ScrReso]\r\nX=800\x1A\r\nY=\v600\f\r\n\v[\x1A Other\f]\r\nZ=1\r\n",
                {
                    {"ScrReso", "X", "0", "800"},
                    {"ScrReso", "Y", "0", "600"},
                    {"\vScrReso\x1A", "\fX", "0", "800"},
                    {"Other", "Z", "0", "1"},
                });
    // A name ends at a NUL; blanks before the NUL stay part of it.
    expectReads("[S]\r\nX\0Z=1\r\nY \0=2\r\n[T\0U]\r\nK=3\r\n"s, {
                                                                     {"S", "X", "d", "1"},
                                                                     {"S", "Y", "d", "d"},
                                                                     {"T", "K", "d", "3"},
                                                                 });
    // A value ends at a NUL before its quotes are looked at; the default loses its quotes too.
    expectReads("[S]\r\nX=\"ab\0cd\"\r\nY=\"ab\"\0x\r\n"s, {
                                                               {"S", "X", "d", "\"ab"},
                                                               {"S", "Y", "d", "ab"},
                                                               {"S", "Missing", "\"q\"", "q"},
                                                               {"S", "Missing", "'q' ", "q"},
                                                               {"S", "Missing", "\"q", "\"q"},
                                                           });
    // A file without a byte order mark is read in the ANSI code page, UTF-8 or not.
    expectReads("[S]\r\nX=caf\xC3\xA9\r\nY=caf\xE9\r\nZ=\x80\x81\x9F\r\n",
                {
                    {"S", "X", "d", "caf\u00C3\u00A9"},
                    {"S", "Y", "d", "caf\u00E9"},
                    {"S", "Z", "d", "\u20AC\u0081\u0178"},
                });
    // What the code page lacks comes back as its best fit, or "?".
    expectReads(
        "\xFF\xFE"s +
            utf8ToUtf16le("[\u00C9t\u00E9]\r\nX=\u03A9\r\nY=\"\u00A0\uFF21\uFF5E\U0001F600\"\r\n"),
        {
            {"\u00C9T\u00E9", "X", "d", "O"},
            {"\u00C9t\u00E9", "y", "d", "\u00A0A~??"},
            {"\u00E9t\u00E9", "X", "d", "d"},
            {"S", "Missing", "\u03A9", "O"},
        });
}

// Where Wine is not what Windows does, the portable reader gives Windows' answer.
TEST_F(ProfileFileTest, GivesWindowsAnswersWhereWineDiffers) {
    // Windows reads a file with a UTF-8 byte order mark in the ANSI code page, mark included, so
    // the first line is no section header; nor does it know a UTF-16BE mark.
    expectReads("\xEF\xBB\xBF[ScrReso]\r\nX=800\r\n[T]\r\nY=caf\xC3\xA9\r\n",
                {{"ScrReso", "X", "0", "0"}, {"T", "Y", "0", "caf\u00C3\u00A9"}}, false);
    expectReads("\xEF\xBB\xBF[S]\r\n[T]\r\nY=caf\xE9\r\n", {{"T", "Y", "0", "caf\u00E9"}}, false);
    expectReads("\xFE\xFF"s + "\0[\0S\0]\0\r\0\n\0X\0=\0001"s, {{"S", "X", "d", "d"}}, false);
    // As documented, every trailing space of the default is dropped, and the cut at size - 1
    // characters holds for a quoted value as for any other.
    expectReads("[S]\r\nX=\"abc\"\r\n", {{"S", "Missing", "  ", ""}, {"S", "X", "d", "abc", 4}},
                false);
}
