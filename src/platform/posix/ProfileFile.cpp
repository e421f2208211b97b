#include "platform/ProfileFile.h"

#include "platform/DriveRoot.h"
#include "platform/posix/SmallFile.h"

#include <algorithm>
#include <utility>

namespace fs = std::filesystem;

namespace tolvar::platform {

namespace {

constexpr std::size_t FileLimit = 16 * 1024 * 1024;

// A name without a leading "\" would be looked for in the Windows folder, which has no
// counterpart here, so it is taken from the root of the drive as well.
fs::path located(std::string_view fileName) {
    std::string relative(
        fileName.substr(std::min(fileName.find_first_not_of("\\/"), fileName.size())));
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return driveRoot() / relative;
}

} // namespace

std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultText, std::size_t size,
                              std::string_view fileName) noexcept {
    std::string bytes;
    try {
        if (auto contents = readSmallFile(located(fileName), FileLimit)) {
            bytes = std::move(*contents);
        }
    } catch (const std::exception&) {
        // A file that cannot be read is one that is not there, as on Windows.
    }
    return profileString(bytes, section, key, defaultText, size);
}

} // namespace tolvar::platform
