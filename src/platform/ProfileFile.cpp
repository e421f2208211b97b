#include "platform/ProfileFile.h"

#include "platform/TextEncoding.h"

#include <algorithm>
#include <optional>

namespace tolvar::platform {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

std::string_view unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string_view> lookUp(std::string_view text, std::string_view section,
                                       std::string_view key) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    // Keys above the first section header belong to a section without a name.
    bool inSection = section.empty();
    while (!text.empty()) {
        // A CR alone ends a line as well.
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = trimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty())
            continue;
        // Only a line with a closing bracket is a section header, named up to its last one.
        const auto close = line.rfind(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            // Later sections of the same name are never read.
            if (inSection)
                return std::nullopt;
            inSection = sameName(trimBlanks(line.substr(1, close - 1)), section);
            continue;
        }
        // The first line of the name is the key, and without an equals sign it has no value.
        const auto equals = line.find('=');
        if (inSection && sameName(trimBlanks(line.substr(0, equals)), key)) {
            if (equals == std::string_view::npos)
                return std::nullopt;
            return unquoted(trimBlanks(line.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

} // namespace

std::string profileString(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view defaultText, std::size_t size) {
    if (size == 0)
        return {};
    std::string_view answer =
        lookUp(fileText, section, key)
            .value_or(defaultText.substr(0, defaultText.find_last_not_of(' ') + 1));
    // The answer is the platform's NUL-terminated text.
    answer = answer.substr(0, answer.find('\0'));
    return std::string(leadingCharacters(answer, size - 1));
}

} // namespace tolvar::platform
