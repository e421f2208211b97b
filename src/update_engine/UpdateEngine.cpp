#include "update_engine/UpdateEngine.h"

#include "platform/FolderOps.h"
#include "platform/ProcessList.h"
#include "platform/ProcessMatch.h"
#include "platform/Registry.h"
#include "platform/modAPIs.h"

#include <chrono>
#include <thread>

namespace fs = std::filesystem;

namespace tolvar::engine {

namespace {

constexpr char Separator = static_cast<char>(fs::path::preferred_separator);

fs::path norvikIn(const fs::path& folder) {
    return fs::path(folder.string() + Separator + "Norvik");
}

} // namespace

std::string installDirectory(std::string_view product) {
    std::string directory = modAPIs::ReadRegistryValue(
        modAPIs::HKEY_LOCAL_MACHINE, "Software\\TolvarInfo\\" + std::string(product), "InstallPath",
        platform::regtype::String, "");
    for (int pass = 0; pass < 2 && directory.ends_with(Separator); ++pass) {
        directory.pop_back();
    }
    if (directory.starts_with(std::string(2, Separator))) {
        directory.clear();
    }
    return directory;
}

fs::path sourceFolder(const fs::path& executableDirectory) {
    return norvikIn(executableDirectory);
}

fs::path targetFolder(const fs::path& productDirectory) {
    return norvikIn(productDirectory);
}

std::optional<std::uint32_t> KillProcessByName(std::string_view name,
                                               const std::function<void()>& yield) {
    platform::ProcessSnapshot snapshot;
    const std::optional<std::uint32_t> id = platform::findFirstProcess(snapshot, name);
    if (id) {
        modAPIs::KillProcessById(*id);
        yield();
        // Gives the ended process time to let go of the product's files.
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        yield();
    }
    return id;
}

std::vector<EndedProcess> endHelpers(const std::function<void()>& yield) {
    std::vector<EndedProcess> ended;
    for (const std::string_view helper : Helpers) {
        if (const std::optional<std::uint32_t> id = KillProcessByName(helper, yield)) {
            ended.push_back({std::string(helper), *id});
        }
    }
    return ended;
}

bool replaceNorvik(const fs::path& source, const fs::path& target,
                   std::atomic<std::uint64_t>* filesCopied) {
    platform::replaceFolder(source, target, filesCopied);
    // A replace that raised nothing has put the new folder in place, so this is false only when
    // something else removed the target in the instant since.
    return platform::folderExists(target);
}

bool isUpdateInProgress(std::string_view description) {
    return description.starts_with(platform::UpdateInProgress);
}

} // namespace tolvar::engine
