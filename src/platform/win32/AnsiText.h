#pragma once

#include <string>
#include <string_view>

// The program's text is UTF-8; the ANSI forms of the Windows calls take and give text in the
// system's ANSI code page. What the code page cannot hold becomes its default character, as it
// does for any program that calls those forms. NULs pass through like any other character.
namespace tolvar::platform::win32 {

std::string toAnsi(std::string_view text);
std::string fromAnsi(std::string_view bytes);

} // namespace tolvar::platform::win32
