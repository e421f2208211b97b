// The portable profile reader against the platform's own GetPrivateProfileStringA, on files drawn
// from a grammar of what trips readers up: blanks of every kind, quotes, NULs, duplicate and
// unclosed sections, all line ends, byte order marks, encodings, long values, small buffers.
// TOLVAR_PROFILE_SEED and TOLVAR_PROFILE_FILES choose another seed (a failure prints its own) and
// a larger run. Where the reader gives Windows' answer and not Wine's, the test checks that.

#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "platform/TreeFixture.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;
using namespace tolvar::platform;
using ::testing::PrintToString;

namespace {

// The standard fixes this engine's sequence, so a seed means the same files everywhere.
struct Draw {
    std::mt19937 engine;

    std::size_t below(std::size_t count) { return engine() % count; }
    bool chance(std::size_t percent) { return below(100) < percent; }
    template <typename T, std::size_t N> const T& of(const std::array<T, N>& items) {
        return items[below(N)];
    }
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

// UTF-8 text, its names, and each key with the header above it, so most queries find something.
struct Profile {
    std::string text;
    std::vector<std::string> names;
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
        const std::size_t kind = draw.below(10);
        if (kind < 3) {
            section = name();
            line += "[" + blanks(draw) + section + blanks(draw);
            if (!draw.chance(15)) {
                line += draw.chance(15) ? "] x"s : "]"s;
            }
        } else if (kind == 3) {
            line += name();
        } else if (kind == 4) {
            line += draw.chance(50) ? ";"s + name() : ""s;
        } else {
            profile.keys.emplace_back(section, name());
            line += profile.keys.back().second + blanks(draw) + "=" + blanks(draw) +
                    (draw.chance(10) ? longValue(draw) : draw.of(Values));
        }
        profile.text += line + blanks(draw) + draw.of(LineEnds);
    }
    return profile;
}

// The file's bytes in an encoding drawn for it, and whether Windows reads them in the ANSI code
// page: it does so for a UTF-8 or UTF-16BE byte order mark, which Wine reads as Unicode.
std::pair<std::string, bool> encoded(const std::string& text, Draw& draw) {
    const std::size_t roll = draw.below(100);
    if (roll < 30) {
        return {utf8ToWindows1252(text), false};
    }
    if (roll < 50) {
        return {text, false};
    }
    if (roll < 65) {
        std::string bytes = "\xEF\xBB\xBF" + text;
        // A stray byte that is no UTF-8.
        if (draw.chance(30)) {
            bytes.insert(3 + draw.below(text.size() + 1), 1, draw.chance(50) ? '\xE9' : '\x80');
        }
        return {bytes, true};
    }
    std::string units = utf8ToUtf16le(text);
    if (roll < 90) {
        return {"\xFF\xFE" + units, false};
    }
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        std::swap(units[i], units[i + 1]);
    }
    return {"\xFE\xFF" + units, true};
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

class ProfileDifferentialTest : public TreeFixture {};

TEST_F(ProfileDifferentialTest, PortableReaderAnswersAsThePlatformDoes) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the portable reader stands for a machine with ANSI code page 1252";
    }
    const std::uint32_t seed = fromEnvironment("TOLVAR_PROFILE_SEED", 20261207);
    const std::uint32_t fileCount = fromEnvironment("TOLVAR_PROFILE_FILES", 300);
    Draw draw{std::mt19937(seed)};
    std::map<std::string, std::size_t> tally;
    std::size_t& failures = tally["other differences"];
    for (std::uint32_t n = 0; n < fileCount; ++n) {
        const Profile profile = generateProfile(draw);
        const auto [bytes, ansiOnWindows] = encoded(profile.text, draw);
        // Every text gets a file of its own name, so no cache of the platform's can answer.
        // Windows' answers for a file it reads as ANSI are Wine's for those characters in UTF-16LE.
        const std::string windowsFile = (root / (std::to_string(n) + ".ini")).string();
        writeFile(windowsFile,
                  ansiOnWindows ? "\xFF\xFE" + utf8ToUtf16le(windows1252ToUtf8(bytes)) : bytes);
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
            ++tally["queries"];
            tally["answered from the file"] +=
                ours != profileString({}, section, key, defaultText, size);
            if (ours == windows) {
                ++tally["agreements"];
                continue;
            }
            // A default of spaces only: Wine keeps one of them.
            const std::string passedDefault = windows1252ToUtf8(utf8ToWindows1252(defaultText));
            if (!passedDefault.empty() &&
                passedDefault.find_first_not_of(' ') == std::string::npos && windows == " " &&
                ours.empty()) {
                ++tally["defaults of spaces only"];
                continue;
            }
            // A quoted value of size - 1 characters: Wine's answer is one shorter than the start of
            // its own answer for a larger buffer, which the portable reader gives.
            if (size >= 2 && characterCount(ours) == size - 1 &&
                windows == leadingCharacters(ours, size - 2) &&
                leadingCharacters(platform(windowsFile, size + 1), size - 1) == ours) {
                ++tally["quoted values of size - 1"];
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
    std::cout << "seed " << seed << ", " << fileCount << " files " << PrintToString(tally) << "\n";
    EXPECT_EQ(failures, 0U);
}
