#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Profile (INI) files, read the way GetPrivateProfileString reads them.
namespace tolvar::platform {

// The text of `key` in `section` of a profile file's text, or defaultText when the section or
// the key is not there. Section and key names compare without regard to ASCII case, and the
// first section of a name and the first key of a name in it are the ones read. Blanks (spaces
// and tabs) around names and values are dropped, then one pair of matching quotes (' or ")
// around the value. Trailing blanks of the default are dropped too. The answer holds at most
// size - 1 characters, as the platform's buffer of `size` does with its closing NUL.
std::string profileString(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view defaultText, std::size_t size);

// The same for the profile file `fileName`, named as the program names it: "\NAME.INI" is the
// file at the root of the current drive. A file that is missing or cannot be read gives
// defaultText in the same way. Never throws.
std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultText, std::size_t size,
                              std::string_view fileName) noexcept;

} // namespace tolvar::platform
