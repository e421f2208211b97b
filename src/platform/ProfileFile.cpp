#include "platform/ProfileFile.h"

#include "platform/TextEncoding.h"

#include <algorithm>
#include <optional>

namespace tolvar::platform {

namespace {

// The platform's blanks around lines, names and values are tab to carriage return, the old
// end-of-file mark Ctrl-Z, and space: more than the spaces and tabs the registry files allow.
bool isBlank(char c) {
    return (c >= '\t' && c <= '\r') || c == '\x1A' || c == ' ';
}

std::string_view withoutBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The platform keeps a NUL read from the file inside names and values, and then reads each as a
// C string: what follows the NUL is never seen.
std::string_view beforeNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// Wine compares names without regard to the case of ASCII letters only ("É" is not "é"), as
// the portable reader always has; nothing says Windows does otherwise.
bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

// What the ANSI form of a call hands over for the text, and of its answer.
std::string throughAnsi(std::string_view text) {
    return windows1252ToUtf8(utf8ToWindows1252(text));
}

// A name or default the program passes reaches the platform through the ANSI code page, as a C
// string.
std::string asPassed(std::string_view text) {
    std::string passed = throughAnsi(text);
    passed.resize(beforeNul(passed).size());
    return passed;
}

// Windows reads a profile file as UTF-16LE after that byte order mark, and every other file as
// text in the ANSI code page, Windows-1252 here: a file saved as UTF-8 is read byte by byte, so
// "é" comes out as "Ã©". A UTF-8 byte order mark is no exception there: it is read as the three
// characters "ï»¿", which keep a section header on the first line from being one, and a UTF-16BE
// mark is not understood either. (Wine reads both as Unicode.) The stand-in does as Windows does,
// because its one reader is the program's settings file: a file saved with a mark then loses its
// first section on Linux as it does on Windows, and the program lays its windows out for the
// measured screen, as it does without a file, instead of following settings that Windows ignores.
std::string profileText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        return utf16leToUtf8(bytes.substr(2));
    }
    return windows1252ToUtf8(bytes);
}

std::optional<std::string_view> lookUp(std::string_view text, std::string_view section,
                                       std::string_view key) {
    // Keys above the first section header belong to a section without a name.
    bool inSection = section.empty();
    while (!text.empty()) {
        // A CR alone ends a line as well.
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = withoutBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty()) {
            continue;
        }
        // Only a line with a closing bracket is a section header, named up to its last one.
        const auto close = line.rfind(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            // Later sections of the same name are never read.
            if (inSection) {
                return std::nullopt;
            }
            inSection = sameName(beforeNul(withoutBlanks(line.substr(1, close - 1))), section);
            continue;
        }
        // The first line of the name is the key, and without an equals sign it has no value.
        const auto equals = line.find('=');
        if (inSection && sameName(beforeNul(withoutBlanks(line.substr(0, equals))), key)) {
            if (equals == std::string_view::npos) {
                return std::nullopt;
            }
            return withoutBlanks(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

// One pair of quotes around a value or a default is dropped, whatever is between them.
std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

std::string profileString(std::string_view fileBytes, std::string_view section,
                          std::string_view key, std::string_view defaultText, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::string text = profileText(fileBytes);
    const std::string sectionName = asPassed(section);
    const std::string keyName = asPassed(key);
    std::string answer;
    if (const auto value = lookUp(text, withoutBlanks(sectionName), withoutBlanks(keyName))) {
        answer = throughAnsi(unquoted(beforeNul(*value)));
    } else {
        // The documentation has every trailing space of the default dropped, so a default of
        // spaces only gives the empty text; Wine keeps one space of it, as its loop stops at the
        // first character.
        const std::string passed = asPassed(defaultText);
        answer = unquoted(std::string_view(passed).substr(0, passed.find_last_not_of(' ') + 1));
    }
    // Every character is one UTF-16 unit once it has come through the ANSI code page, so this is
    // the platform's cut at size - 1 units. Wine cuts one more from a quoted value that is exactly
    // size - 1 characters long ("abc" in a buffer of 4 gives "ab"); the documented cut is kept.
    return std::string(leadingCharacters(answer, size - 1));
}

} // namespace tolvar::platform
