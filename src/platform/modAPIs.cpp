#include "platform/modAPIs.h"

#include "platform/ProcessList.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/TextEncoding.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"
#include "runtime/core/Resume.h"

#include <optional>

namespace tolvar::modAPIs {

namespace {

std::optional<platform::RegistryRoot> platformRoot(RootKey root) {
    if (root == HKEY_LOCAL_MACHINE) {
        return platform::RegistryRoot::LocalMachine;
    }
    if (root == HKEY_CURRENT_USER) {
        return platform::RegistryRoot::CurrentUser;
    }
    return std::nullopt;
}

// A REG_DWORD read into a 32-bit number: data longer than the number do not fit and fail the
// read, shorter data fill its low bytes.
std::optional<std::uint32_t> dwordOf(const std::string& data) {
    if (data.size() > 4) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    return number;
}

} // namespace

std::string ReadRegistryValue(RootKey root, std::string keyPath, std::string valueName,
                              std::int32_t valueType, std::string defaultText) {
    std::string result = std::move(defaultText);
    try {
        const auto opened = platformRoot(root);
        if (!opened) {
            return result;
        }
        const auto value = platform::queryRegistryValue(*opened, keyPath, valueName);
        if (!value) {
            return result;
        }
        const auto asked = static_cast<std::uint32_t>(valueType);
        if (value->type == platform::regtype::String && asked == platform::regtype::String) {
            result = TrimAtNull(value->data);
        } else if (value->type == platform::regtype::Dword && asked == platform::regtype::Dword) {
            if (const auto number = dwordOf(value->data)) {
                result = std::to_string(static_cast<std::int32_t>(*number));
            }
        }
    } catch (const rt::Failure&) {
        // The readers never report: the caller gets what was read before the failure, or the
        // default.
    }
    return result;
}

std::string ReadConfigValue(std::string section, std::string key, std::string defaultText) {
    constexpr std::size_t BufferSize = 255;
    std::string result;
    rt::step([&] {
        result = platform::readProfileString(section, key, defaultText, BufferSize,
                                             "\\TOLVARCONFIG.INI");
    });
    return result;
}

std::string TrimAtNull(std::string text) {
    const auto nul = text.find('\0');
    if (nul == std::string::npos) {
        return text;
    }
    const std::int16_t position = rt::toInt16(
        static_cast<double>(platform::characterCount(std::string_view(text).substr(0, nul)) + 1));
    return std::string(platform::leadingCharacters(text, static_cast<std::size_t>(position - 1)));
}

void KillProcessById(std::uint32_t processId) noexcept {
    if (processId == 0) {
        return;
    }
    static_cast<void>(platform::terminateProcess(processId));
}

} // namespace tolvar::modAPIs
