#include "platform/ProfileFile.h"

#include "platform/TextEncoding.h"

#include <algorithm>
#include <optional>

namespace tolvar::platform {

namespace {

constexpr std::string_view Blanks = " \t";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

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
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = trimmed(line);
        if (line.starts_with('[')) {
            // Later sections of the same name are never read.
            if (inSection)
                return std::nullopt;
            inSection = sameName(trimmed(line.substr(1, line.find(']') - 1)), section);
            continue;
        }
        const auto equals = line.find('=');
        if (inSection && equals != std::string_view::npos &&
            sameName(trimmed(line.substr(0, equals)), key))
            return unquoted(trimmed(line.substr(equals + 1)));
    }
    return std::nullopt;
}

} // namespace

std::string profileString(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view defaultText, std::size_t size) {
    if (size == 0)
        return {};
    const std::string_view answer =
        lookUp(fileText, section, key)
            .value_or(defaultText.substr(0, defaultText.find_last_not_of(Blanks) + 1));
    return std::string(leadingCharacters(answer, size - 1));
}

} // namespace tolvar::platform
