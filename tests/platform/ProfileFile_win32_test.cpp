// The portable profile reader against the platform's own GetPrivateProfileStringA, on profile
// files generated from a grammar of what trips readers up: blanks of every kind, quotes, NULs,
// duplicate and unclosed sections, CR/LF/CRLF line ends, byte order marks, encodings, long values
// and small buffers. The run is seeded, so a failure is found again with the seed it prints.
// TOLVAR_PROFILE_SEED and TOLVAR_PROFILE_FILES choose another seed and a larger run.
//
// Where the reader gives Windows' answer and not Wine's, the test says so and checks that:
// - a file with a UTF-8 or UTF-16BE byte order mark is one Windows reads in the ANSI code page,
//   so its answers are those of the same characters in a UTF-16LE file;
// - a default of spaces only gives the empty text, not Wine's one space;
// - a quoted value of exactly size - 1 characters is kept whole, where Wine cuts one more.

#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "platform/TreeFixture.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;
using namespace tolvar::platform;
using ::testing::PrintToString;

namespace {

class Draw {
public:
    explicit Draw(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t count) { return engine_() % count; }
    bool chance(std::size_t percent) { return below(100) < percent; }
    template <typename T, std::size_t N> const T& of(const std::array<T, N>& items) {
        return items[below(N)];
    }

private:
    // The standard fixes this engine's sequence, so a seed means the same files everywhere.
    std::mt19937 engine_;
};

// Names that collide once case, best fit or a NUL has been applied, and some that never do.
const std::array Names = {"ScrReso"s, "S"s,      "X"s,         "x"s,         "Opt"s,    "DPI"s,
                          "k"s,       "\u212A"s, "caf\u00E9"s, "CAF\u00C9"s, "\u03A9"s, "O"s,
                          "\u0131"s,  "i"s,      "\u0130"s,    "\u017F"s,    "s"s,      "\u1E9E"s,
                          "\u00DF"s,  "\u0178"s, "\u00FF"s,    "\u0152"s,    "\u00B5"s, "\u03BC"s,
                          "\uFF21"s,  "a"s,      "a b"s,       "x\0z"s,      ";c"s,     "\"q\""s,
                          "'q'"s,     ""s,       "[x"s,        "x]y"s,       "\u00A0n"s};

const std::array Values = {
    "800"s,        "\"abc\""s,        "'abc'"s,        "\"ab"s,          "\""s,     "\"\""s,
    "\"ab\0cd\""s, "\"ab\"\0x"s,      "a\0b"s,         "caf\u00E9"s,     "\u03A9"s, "\u20AC"s,
    "\U0001F600"s, "\"\U0001F600\""s, "\uFF21\uFF02"s, "\uFF02x\uFF02"s, "a=b"s,    ";x"s,
    "\"a\" "s,     "x\ty"s,           "\u0081\u008D"s, "\u00A0"s,        "\u2019"s, ""s};

const std::array Blanks = {" "s, " "s, "  "s, "\t"s, "\v"s, "\f"s, "\x1A"s};
const std::array LineEnds = {"\r\n"s, "\r\n"s, "\n"s, "\r"s, "\n\r"s, "\r\r\n"s};
const std::array Defaults = {""s,       "0"s,      "d"s,         " "s,         "   "s,
                             " x  "s,   "x\t"s,    "\"q\""s,     "'q'"s,       "\"q"s,
                             "\"q\" "s, "\u03A9"s, "caf\u00E9"s, "\U0001F600"s};
const std::array<std::size_t, 10> Sizes = {255, 255, 255, 1, 2, 3, 4, 5, 8, 0};

std::string blanks(Draw& draw) {
    std::string text;
    for (std::size_t i = draw.below(3); i > 0; --i) {
        text += draw.of(Blanks);
    }
    return text;
}

std::string longValue(Draw& draw) {
    std::string text(200 + draw.below(100), 'v');
    text[draw.below(text.size())] = 'w';
    return draw.chance(50) ? '"' + text + '"' : text;
}

struct Profile {
    std::string text; // UTF-8, NULs included
    std::vector<std::string> names;
    // Each key line with the header above it, so that most queries ask for what is there.
    std::vector<std::pair<std::string, std::string>> keys;
};

Profile generateProfile(Draw& draw) {
    Profile profile;
    const auto name = [&] {
        profile.names.push_back(draw.of(Names));
        return profile.names.back();
    };
    std::string section;
    for (std::size_t lines = 2 + draw.below(12); lines > 0; --lines) {
        std::string line = blanks(draw);
        switch (draw.below(10)) {
        case 0:
        case 1:
        case 2:
            section = name();
            line += "[" + blanks(draw) + section + blanks(draw);
            if (!draw.chance(15)) {
                line += draw.chance(15) ? "] x"s : "]"s;
            }
            break;
        case 3:
            line += name();
            break;
        case 4:
            line += draw.chance(50) ? ";"s + name() : ""s;
            break;
        default:
            profile.keys.emplace_back(section, name());
            line += profile.keys.back().second + blanks(draw) + "=" + blanks(draw) +
                    (draw.chance(10) ? longValue(draw) : draw.of(Values));
            break;
        }
        profile.text += line + blanks(draw) + draw.of(LineEnds);
    }
    return profile;
}

enum class Encoding { Ansi, Utf8, Utf8Mark, Utf16le, Utf16be };

std::string swapped(std::string units) {
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        std::swap(units[i], units[i + 1]);
    }
    return units;
}

std::string encoded(const std::string& text, Encoding encoding, Draw& draw) {
    switch (encoding) {
    case Encoding::Ansi:
        return utf8ToWindows1252(text);
    case Encoding::Utf8:
        return text;
    case Encoding::Utf8Mark: {
        std::string bytes = "\xEF\xBB\xBF" + text;
        // A stray byte that is no UTF-8.
        if (draw.chance(30)) {
            bytes.insert(3 + draw.below(text.size() + 1), 1, draw.chance(50) ? '\xE9' : '\x80');
        }
        return bytes;
    }
    case Encoding::Utf16le:
        return "\xFF\xFE" + utf8ToUtf16le(text);
    case Encoding::Utf16be:
        return "\xFE\xFF" + swapped(utf8ToUtf16le(text));
    }
    return text;
}

Encoding drawEncoding(Draw& draw) {
    const std::size_t roll = draw.below(100);
    if (roll < 30) {
        return Encoding::Ansi;
    }
    if (roll < 50) {
        return Encoding::Utf8;
    }
    if (roll < 65) {
        return Encoding::Utf8Mark;
    }
    if (roll < 90) {
        return Encoding::Utf16le;
    }
    return Encoding::Utf16be;
}

// A name as a program asks for it: another case, blanks around it.
std::string askedFor(std::string name, Draw& draw) {
    for (char& c : name) {
        if (draw.chance(30) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            c ^= 0x20;
        }
    }
    return draw.chance(20) ? blanks(draw) + name + blanks(draw) : name;
}

std::uint32_t fromEnvironment(const char* name, std::uint32_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10))
                           : fallback;
}

} // namespace

class ProfileDifferentialTest : public TreeFixture {
protected:
    std::string write(const std::string& bytes) {
        // Every text gets a file of its own name, so no cache of the platform's can answer.
        const auto file = root / (std::to_string(files++) + ".ini");
        writeFile(file, bytes);
        return file.string();
    }

    int files = 0;
};

TEST_F(ProfileDifferentialTest, PortableReaderAnswersAsThePlatformDoes) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the portable reader stands for a machine with ANSI code page 1252";
    }
    const std::uint32_t seed = fromEnvironment("TOLVAR_PROFILE_SEED", 20261207);
    const std::uint32_t fileCount = fromEnvironment("TOLVAR_PROFILE_FILES", 300);
    Draw draw(seed);

    std::size_t queries = 0;
    std::size_t fromFile = 0;
    std::size_t agreements = 0;
    std::size_t readAsAnsi = 0;
    std::size_t readAsAnsiUnlikeWine = 0;
    std::size_t spacesDefault = 0;
    std::size_t quotedCut = 0;
    std::size_t failures = 0;
    for (std::uint32_t n = 0; n < fileCount; ++n) {
        const Profile profile = generateProfile(draw);
        const Encoding encoding = drawEncoding(draw);
        const std::string bytes = encoded(profile.text, encoding, draw);
        const std::string file = write(bytes);
        // Windows reads a file with a UTF-8 or UTF-16BE mark in the ANSI code page; Wine reads
        // it as Unicode. Windows' answers are Wine's for those ANSI characters in UTF-16LE.
        const bool ansiOnWindows = encoding == Encoding::Utf8Mark || encoding == Encoding::Utf16be;
        const std::string windowsFile =
            ansiOnWindows ? write("\xFF\xFE" + utf8ToUtf16le(windows1252ToUtf8(bytes))) : file;
        for (int q = 0; q < 8; ++q) {
            // Mostly a key of the file, else any names of it, now and then ones it does not have.
            const auto anyName = [&] {
                return !profile.names.empty() && draw.chance(85)
                           ? profile.names[draw.below(profile.names.size())]
                           : draw.of(Names);
            };
            const bool known = !profile.keys.empty() && draw.chance(60);
            const auto& [knownSection, knownKey] =
                known ? profile.keys[draw.below(profile.keys.size())]
                      : std::pair<std::string, std::string>();
            const std::string section = askedFor(known ? knownSection : anyName(), draw);
            const std::string key = askedFor(known ? knownKey : anyName(), draw);
            const std::string defaultText = draw.chance(5) ? longValue(draw) : draw.of(Defaults);
            const std::size_t size = draw.chance(20) ? draw.below(300) : draw.of(Sizes);
            const auto platform = [&](const std::string& path, std::size_t bufferSize) {
                return readProfileString(section, key, defaultText, bufferSize, path);
            };
            const std::string ours = profileString(bytes, section, key, defaultText, size);
            const std::string windows = platform(windowsFile, size);
            ++queries;
            fromFile += ours != profileString({}, section, key, defaultText, size);
            if (ansiOnWindows) {
                ++readAsAnsi;
                readAsAnsiUnlikeWine += platform(file, size) != windows;
            }
            if (ours == windows) {
                ++agreements;
                continue;
            }
            // A default of spaces only: Wine keeps one of them.
            const std::string passedDefault = windows1252ToUtf8(utf8ToWindows1252(defaultText));
            if (!passedDefault.empty() &&
                passedDefault.find_first_not_of(' ') == std::string::npos && windows == " " &&
                ours.empty()) {
                ++spacesDefault;
                continue;
            }
            // A quoted value of size - 1 characters: Wine's answer is one shorter than the start of
            // its own answer for a larger buffer, which the portable reader gives.
            if (size >= 2 && characterCount(ours) == size - 1 &&
                windows == leadingCharacters(ours, size - 2) &&
                leadingCharacters(platform(windowsFile, size + 1), size - 1) == ours) {
                ++quotedCut;
                continue;
            }
            if (++failures <= 20) {
                ADD_FAILURE() << "seed " << seed << ", file " << n << ": " << PrintToString(bytes)
                              << "\nsection " << PrintToString(section) << ", key "
                              << PrintToString(key) << ", default " << PrintToString(defaultText)
                              << ", size " << size << "\n  platform: " << PrintToString(windows)
                              << "\n  portable: " << PrintToString(ours);
            }
        }
    }
    std::cout << "seed " << seed << ": " << fileCount << " files, " << queries << " queries ("
              << fromFile << " answered from the file), " << agreements
              << " agreements; Windows' answer where Wine's differs: " << spacesDefault
              << " defaults of spaces only, " << quotedCut << " quoted values of size - 1; "
              << readAsAnsi << " queries of files read as ANSI (" << readAsAnsiUnlikeWine
              << " unlike Wine's reading); " << failures << " other differences\n";
    EXPECT_EQ(failures, 0U);
}
