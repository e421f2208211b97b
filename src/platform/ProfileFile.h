#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Profile (INI) files, read the way GetPrivateProfileString reads them.
namespace tolvar::platform {

// The text of `key` in `section` of a profile file's bytes, or defaultText when the section or
// the key is not there, as the ANSI form of the platform's call answers a program whose ANSI code
// page is Windows-1252: the file is UTF-16LE after its byte order mark and Windows-1252 bytes
// otherwise (a UTF-8 byte order mark included), names, default and answer pass through that code
// page with its best fit. Lines end at a CR, a LF or both. A section header is a line that starts
// with "[" and has a "]", and names the section up to its last "]"; keys above the first header
// are in the section named "". Section and key names compare without regard to ASCII case or to
// blanks (tab to CR, Ctrl-Z and space) around them, and end at a NUL. The first section of a name
// is the one read, and in it the first line of the key's name: a line of the name without "=" has
// no value, and the default is read. Blanks around the value are dropped; it ends at a NUL, then
// one pair of matching quotes (' or ") around it is dropped. Trailing spaces of the default are
// dropped too, tabs not, and then its quotes. The answer holds at most size - 1 characters, as
// the platform's buffer of `size` does with its closing NUL.
std::string profileString(std::string_view fileBytes, std::string_view section,
                          std::string_view key, std::string_view defaultText, std::size_t size);

// The same for the profile file `fileName`, named as the program names it: "\NAME.INI" is the
// file at the root of the current drive. A file that is missing or cannot be read gives
// defaultText in the same way. Never throws.
std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultText, std::size_t size,
                              std::string_view fileName) noexcept;

} // namespace tolvar::platform
