#pragma once

#include "platform/Registry.h"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

// Registry export files (".reg"), the stand-in for the registry where there is none. Both
// formats regedit writes are read: "Windows Registry Editor Version 5.00", whose string data
// are UTF-16LE, and "REGEDIT4", whose string data are ANSI (Windows-1252) bytes. The file is
// applied from top to bottom as an import would be: "[Key]" creates the key with its parents,
// "[-Key]" removes it with its subkeys, "name"=- removes a value, a later value replaces an
// earlier one.
namespace tolvar::platform {

class RegistryFileError : public std::runtime_error {
public:
    RegistryFileError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

class RegistryStore {
public:
    // Raises RegistryFileError for the first line that cannot be read.
    static RegistryStore parse(std::string_view fileBytes);

    // `keyPath` starts with its root, spelled out or short ("HKEY_LOCAL_MACHINE\Software",
    // "HKLM\Software"). Names compare with ASCII case folding only: the files name keys in
    // English, and a non-ASCII letter has to be spelled as the file spells it.
    bool hasKey(std::string_view keyPath) const;
    // Data as the registry holds them: strings of either format as UTF-16LE.
    std::optional<RegistryValue> value(std::string_view keyPath, std::string_view name) const;

private:
    friend class RegistryFileParser;
    using Values = std::map<std::string, RegistryValue, std::less<>>;
    // Removes the key and its subkeys.
    void erase(const std::string& key);
    // The keys the file names, by folded full path; their parents exist without an entry, so
    // every key's path is held once and a deep path costs its length, not its square.
    std::map<std::string, Values, std::less<>> keys_;
};

} // namespace tolvar::platform
