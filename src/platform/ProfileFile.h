#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Profile (INI) files, read the way GetPrivateProfileString reads them.
namespace tolvar::platform {

// The text of `key` in `section` of a profile file's text, or defaultText when the section or
// the key is not there. Lines end at a CR, a LF or both. A section header is a line that starts
// with "[" and has a "]", and names the section up to its last "]"; keys above the first header
// are in the section named "". Section and key names compare without regard to ASCII case or to
// blanks (spaces and tabs) around them. The first section of a name is the one read, and in it
// the first line of the key's name: a line of the name without "=" has no value, and the default
// is read. Blanks around the value are dropped, then one pair of matching quotes (' or ") around
// it. Trailing spaces of the default are dropped too, tabs not. The answer ends at a NUL and
// holds at most size - 1 characters, as the platform's buffer of `size` does with its closing
// NUL.
std::string profileString(std::string_view fileText, std::string_view section, std::string_view key,
                          std::string_view defaultText, std::size_t size);

// The same for the profile file `fileName`, named as the program names it: "\NAME.INI" is the
// file at the root of the current drive. A file that is missing or cannot be read gives
// defaultText in the same way. Never throws.
std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultText, std::size_t size,
                              std::string_view fileName) noexcept;

} // namespace tolvar::platform
