#pragma once

#include <cstdint>
#include <string>

// The program's small wrappers around platform calls. Text is the program's own (UTF-8); none
// of them reports a failure or keeps state between calls.
namespace tolvar::modAPIs {

// The platform's predefined root-key handles.
using RootKey = std::uint32_t;
inline constexpr RootKey HKEY_CURRENT_USER = 0x80000001;
inline constexpr RootKey HKEY_LOCAL_MACHINE = 0x80000002;

// One registry value as text: with valueType 1 a string value (REG_SZ) up to its first NUL,
// with valueType 4 a 32-bit value (REG_DWORD) as signed decimal. A missing key or value, a
// stored type other than the one asked for, or any run-time failure gives defaultText.
std::string ReadRegistryValue(RootKey root, std::string keyPath, std::string valueName,
                              std::int32_t valueType, std::string defaultText);

// One key of the settings profile file "\TOLVARCONFIG.INI" at the root of the current drive,
// at most 254 characters long; defaultText when the file, the section or the key is missing.
std::string ReadConfigValue(std::string section, std::string key, std::string defaultText);

// The text before its first NUL, or the whole text without one. The NUL's position counts
// characters (code points) from 1 in a 16-bit integer, so a first NUL beyond character 32,767
// raises "Overflow".
std::string TrimAtNull(std::string text);

// Ends the process with exit code 0 and leaves id 0 alone. Whether it worked is not examined:
// a process that cannot be opened or has already ended is passed over without a word.
void KillProcessById(std::uint32_t processId) noexcept;

} // namespace tolvar::modAPIs
