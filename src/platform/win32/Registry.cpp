#include "platform/Registry.h"

#include "platform/win32/AnsiText.h"

#include <windows.h>

namespace tolvar::platform {

namespace {

class OpenKey {
public:
    explicit OpenKey(HKEY key) : key_(key) {}
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() { RegCloseKey(key_); }

    HKEY get() const { return key_; }

private:
    HKEY key_;
};

} // namespace

std::optional<RegistryValue> queryRegistryValue(RegistryRoot root, std::string_view keyPath,
                                                std::string_view valueName) noexcept {
    try {
        HKEY opened = nullptr;
        // Whether the key was opened shows in the handle; the return code adds nothing to it.
        RegOpenKeyA(root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                    win32::toAnsi(keyPath).c_str(), &opened);
        if (opened == nullptr) {
            return std::nullopt;
        }
        const OpenKey key(opened);

        const std::string name = win32::toAnsi(valueName);
        DWORD type = 0;
        DWORD size = 0;
        // A value the key does not have leaves the type at 0.
        RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
        RegistryValue value;
        if (type == 0) {
            return value;
        }
        std::string data(size, ' ');
        // A value that changed size since it was measured fails the read and counts as missing.
        if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
            return value;
        }
        // The string types come converted to the ANSI code page, and `size` counts that form.
        data.resize(size);
        value.type = type;
        value.data = regtype::holdsText(type) ? win32::fromAnsi(data) : std::move(data);
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace tolvar::platform
