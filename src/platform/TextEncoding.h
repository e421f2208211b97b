#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The program's text is UTF-8; the files the platform stand-ins read come in whatever encoding a
// Windows machine wrote them in. These conversions never fail: what cannot be decoded becomes
// U+FFFD, so a damaged file is read as text and judged by its reader.
namespace tolvar::platform {

// The text of a file's bytes: UTF-16LE after its byte order mark, UTF-8 with or without one,
// otherwise Windows-1252 (the ANSI code page of the machines the files come from).
std::string decodeTextFile(std::string_view bytes);

std::string utf16leToUtf8(std::string_view bytes);
std::string utf8ToUtf16le(std::string_view text);
std::string windows1252ToUtf8(std::string_view bytes);

// The text in Windows-1252, as the ANSI forms of the Windows calls hand it over on a machine with
// that code page: a character the code page lacks becomes its best fit (the published table of
// the code page's best-fit mappings: "Ω" gives "O", a full-width "Ａ" gives "A") or "?"; a
// character outside the Basic Multilingual Plane is two UTF-16 units there, and gives "??".
std::string utf8ToWindows1252(std::string_view text);

// Characters are counted as code points, which is what a Windows program's string length
// counts for all text outside the astral planes.
std::size_t characterCount(std::string_view text);

// The first `count` characters of the text.
std::string_view leadingCharacters(std::string_view text, std::size_t count);

// The text without the spaces and tabs at either end: the blanks both file formats allow
// around names, values and brackets.
std::string_view trimBlanks(std::string_view text);

} // namespace tolvar::platform
