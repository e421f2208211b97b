#include "platform/ProcessMatch.h"

#include <algorithm>

namespace tolvar::platform {

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string candidateName(std::string_view exeFile) {
    auto name = exeFile.substr(0, exeFile.find('\0'));
    const auto begin = name.find_first_not_of(' ');
    if (begin == name.npos) {
        return {};
    }
    name = name.substr(begin, name.find_last_not_of(' ') - begin + 1);
    // After the last "\" and then after the last "/" is after the last of either.
    if (const auto separator = name.find_last_of("\\/"); separator != name.npos) {
        name.remove_prefix(separator + 1);
    }
    std::string candidate(name);
    std::transform(candidate.begin(), candidate.end(), candidate.begin(), upper);
    return candidate;
}

bool matchesWanted(std::string_view candidate, std::string_view wantedName) {
    return std::equal(candidate.begin(), candidate.end(), wantedName.begin(), wantedName.end(),
                      [](char have, char wanted) { return have == upper(wanted); });
}

std::optional<std::uint32_t> findFirstProcess(ProcessSnapshot& snapshot,
                                              std::string_view wantedName) {
    ProcessEntry entry;
    for (bool more = snapshot.first(entry); more; more = snapshot.next(entry)) {
        if (matchesWanted(candidateName({entry.exeFile.data(), entry.exeFile.size()}),
                          wantedName)) {
            return entry.processId;
        }
    }
    return std::nullopt;
}

} // namespace tolvar::platform
