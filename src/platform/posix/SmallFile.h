#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tolvar::platform {

// The whole contents of a settings-sized regular file; empty when nothing is at the path.
// Anything else that stops the read (no permission, a folder, a FIFO or device that would never
// end, more than `limit` bytes) raises std::runtime_error saying what.
std::optional<std::string> readSmallFile(const std::filesystem::path& path, std::size_t limit);

} // namespace tolvar::platform
