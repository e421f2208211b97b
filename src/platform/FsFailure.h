#pragma once

#include <filesystem>
#include <system_error>

// How a file-system failure reaches the user: one of the run-time's descriptions followed by the
// path it concerns, e.g. "Permission denied: '/opt/x/Norvik'".
namespace tolvar::platform {

[[noreturn]] void raiseAt(const char* description, const std::filesystem::path& path);
[[noreturn]] void raiseFor(std::error_code error, const std::filesystem::path& path);

} // namespace tolvar::platform

namespace tolvar::platform::native {

// The failure in the portable terms raiseFor describes, where the platform reports it in numbers
// of its own that std::error_code does not map to those terms.
std::error_code portableError(std::error_code error);

} // namespace tolvar::platform::native
