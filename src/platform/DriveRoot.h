#pragma once

#include <filesystem>

namespace tolvar::platform {

// The root of the current drive, where the settings profile file and the log folders live.
std::filesystem::path driveRoot();

} // namespace tolvar::platform
