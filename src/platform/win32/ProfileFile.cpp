#include "platform/ProfileFile.h"

#include "platform/DriveRoot.h"
#include "platform/win32/AnsiText.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace tolvar::platform {

namespace {

// The platform looks for a file named without its drive in the Windows folder, so a name from
// the root of the current drive gets that drive put in front.
std::string located(std::string_view fileName) {
    fs::path path(std::u8string(fileName.begin(), fileName.end()));
    if (path.has_root_directory() && !path.has_root_name()) {
        path = driveRoot() / path.relative_path();
    }
    const std::u8string text = path.u8string();
    return win32::toAnsi(std::string(text.begin(), text.end()));
}

} // namespace

std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultText, std::size_t size,
                              std::string_view fileName) noexcept {
    try {
        std::string buffer(std::min<std::size_t>(size, MAXDWORD), '\0');
        const DWORD copied =
            GetPrivateProfileStringA(win32::toAnsi(section).c_str(), win32::toAnsi(key).c_str(),
                                     win32::toAnsi(defaultText).c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), located(fileName).c_str());
        buffer.resize(copied);
        return win32::fromAnsi(buffer);
    } catch (const std::exception&) {
        // Text the conversion could not take reads like a file with nothing in it.
        return profileString({}, section, key, defaultText, size);
    }
}

} // namespace tolvar::platform
