#pragma once

#include "platform/ProcessList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// How a process is recognised by its executable name when the update run ends the product's
// programs. Letter case is compared as ASCII, which is what the platform's single-byte
// upper-casing does to executable names such as these; other bytes compare as they are.
namespace tolvar::platform {

// The name a process is compared by: the reported name cut at its first NUL, stripped of
// surrounding spaces, upper-cased, and without any directory part ("\" or "/"). Spaces are
// removed before the directory part, so "C:\Tools\ node.exe" keeps its inner space.
std::string candidateName(std::string_view exeFile);

// Whole equality with the upper-cased wanted name. The wanted name is otherwise taken as it is:
// one with a leading space or a directory part never matches.
bool matchesWanted(std::string_view candidate, std::string_view wantedName);

// The id of the first process in the walk whose name matches, if any.
std::optional<std::uint32_t> findFirstProcess(ProcessSnapshot& snapshot,
                                              std::string_view wantedName);

} // namespace tolvar::platform
