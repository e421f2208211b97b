#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Read access to the registry. The posix backend reads registry export files standing in for
// the machine's and the user's hives; see posix/Registry.cpp for where they live.
namespace tolvar::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Value types as the registry numbers them; any other number is kept as it is.
namespace regtype {
inline constexpr std::uint32_t String = 1;
inline constexpr std::uint32_t ExpandString = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiString = 7;

constexpr bool holdsText(std::uint32_t type) {
    return type == String || type == ExpandString || type == MultiString;
}
} // namespace regtype

struct RegistryValue {
    std::uint32_t type = 0;
    // The bytes the registry holds, except for the string types (1, 2 and 7), which come as the
    // program's text of the whole stored buffer, its NULs included.
    std::string data;

    bool operator==(const RegistryValue&) const = default;
};

// Opens `keyPath` ("\"-separated, as on Windows) under `root` and reads one value of it; the
// default value is named "". Empty when the key cannot be opened; a value the key does not have
// comes back with type 0. Key paths and value names compare without regard to case. Never throws:
// a store that cannot be read is no registry at all.
std::optional<RegistryValue> queryRegistryValue(RegistryRoot root, std::string_view keyPath,
                                                std::string_view valueName) noexcept;

} // namespace tolvar::platform
