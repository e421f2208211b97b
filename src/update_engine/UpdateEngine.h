#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The update run without its front end: which products there are and where they are installed,
// the source folder, the ending of the product's helper processes and the replace of a product's
// Norvik folder. The update window and the command-line updater both run their updates through
// it, each showing the progress and the outcome in its own way.
namespace tolvar::engine {

// The products in row order. Each name is its caption and its registry subkey alike.
inline constexpr std::array<std::string_view, 2> Products{"Lumeo", "Vantro"};

// The processes that may hold a product's files open, in the order they are ended.
inline constexpr std::array<std::string_view, 3> Helpers{"norvikAgent.exe", "norvikAgentW.exe",
                                                         "Node.exe"};

// The installation directory the registry records for a product (HKEY_LOCAL_MACHINE,
// "Software\TolvarInfo\" + product, string value "InstallPath"), without up to two trailing
// separators. A network share ("\\server\...") is never taken and gives the empty text, and so
// does a registry that holds nothing usable.
std::string installDirectory(std::string_view product);

// The Norvik folder a program ships beside its executable.
std::filesystem::path sourceFolder(const std::filesystem::path& executableDirectory);

// The Norvik folder inside a product's directory, formed as text: a directory that ends in a
// separator gives a doubled one, as typed.
std::filesystem::path targetFolder(const std::filesystem::path& productDirectory);

// Ends the first running process whose executable name is `name` (letter case and any directory
// part aside), then yields, waits a second for it to let go of its files, and yields again.
// The id of the process it ended, if one matched.
std::optional<std::uint32_t> KillProcessByName(std::string_view name,
                                               const std::function<void()>& yield);

struct EndedProcess {
    std::string name;
    std::uint32_t id = 0;
};

// Ends the helpers in their order, one process of each name at most.
std::vector<EndedProcess> endHelpers(const std::function<void()>& yield);

// Replaces the target folder with a copy of the source (platform::replaceFolder: the previous
// folder stays whole on any failure, which is raised). True when the target folder exists
// afterwards, which is what counts as an update. `filesCopied` counts the copied files as they
// are done.
bool replaceNorvik(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::atomic<std::uint64_t>* filesCopied = nullptr);

// Whether a failure of replaceNorvik was another update holding the same folder.
bool isUpdateInProgress(std::string_view description);

} // namespace tolvar::engine
