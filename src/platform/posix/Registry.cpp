#include "platform/Registry.h"

#include "platform/RegistryFile.h"
#include "platform/TextEncoding.h"
#include "platform/posix/SmallFile.h"

#include <cstdio>
#include <cstdlib>

namespace fs = std::filesystem;

namespace tolvar::platform {

namespace {

// Far beyond any hand-written or exported settings file, yet small enough to hold in memory.
constexpr std::size_t FileLimit = 64 * 1024 * 1024;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The machine's hive in the system configuration and the user's in their own, as Wine splits
// them; TOLVAR_REGISTRY puts both roots in one file for tests and demonstrations.
std::optional<fs::path> storeFile(RegistryRoot root) {
    if (const std::string single = environment("TOLVAR_REGISTRY"); !single.empty()) {
        return fs::path(single);
    }
    if (root == RegistryRoot::LocalMachine) {
        return fs::path("/etc/xdg/tolvar/registry.reg");
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    fs::path config = environment("XDG_CONFIG_HOME");
    if (!config.is_absolute()) {
        const std::string home = environment("HOME");
        if (home.empty()) {
            return std::nullopt;
        }
        config = fs::path(home) / ".config";
    }
    return config / "tolvar" / "registry.reg";
}

void warn(const std::string& problem) {
    std::fputs(("TolvarNorvikUpdater: " + problem + " (registry file read as empty)\n").c_str(),
               stderr);
}

// Read afresh on every lookup: the program looks up a handful of values per run, and a cache
// keyed by modification time could miss an edit made within the file system's time resolution.
RegistryStore loadStore(const fs::path& file) {
    try {
        const auto bytes = readSmallFile(file, FileLimit);
        return bytes ? RegistryStore::parse(*bytes) : RegistryStore();
    } catch (const RegistryFileError& error) {
        warn(file.string() + ":" + std::to_string(error.line()) + ": " + error.what());
    } catch (const std::exception& error) {
        warn(file.string() + ": " + error.what());
    }
    return RegistryStore();
}

} // namespace

std::optional<RegistryValue> queryRegistryValue(RegistryRoot root, std::string_view keyPath,
                                                std::string_view valueName) noexcept {
    const auto file = storeFile(root);
    if (!file) {
        return std::nullopt;
    }
    const RegistryStore store = loadStore(*file);
    std::string key =
        root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    if (!keyPath.empty()) {
        key.append(1, '\\').append(keyPath);
    }
    if (!store.hasKey(key)) {
        return std::nullopt;
    }
    RegistryValue value = store.value(key, valueName).value_or(RegistryValue{});
    if (regtype::holdsText(value.type)) {
        value.data = utf16leToUtf8(value.data);
    }
    return value;
}

} // namespace tolvar::platform
