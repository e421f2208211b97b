#pragma once

#include "update_engine/UpdateEngine.h"
#include "updater_cli/CommandLine.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One update run as the command-line updater makes it: the engine's steps, with a product whose
// folder is already the source's left alone, and each product's failure kept to that product.
namespace tolvar::cli {

class Progress;

enum class Outcome { Updated, Unchanged, WouldUpdate, NotInstalled, Failed };

struct ProductResult {
    std::string name;
    std::filesystem::path directory;
    Outcome outcome = Outcome::NotInstalled;
    std::string error;
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    double seconds = 0;
    // Named on the command line, so not finding it installed is a failure.
    bool named = false;
};

struct Report {
    std::filesystem::path source;
    bool check = false;
    std::vector<ProductResult> products;
    std::vector<engine::EndedProcess> ended;

    int exitCode() const;
};

// Raises rt::Failure when there is no source folder; every other failure is a product's.
Report runUpdate(const Options& options, const std::filesystem::path& executableDirectory,
                 Progress& progress);

// The outcome's name in the JSON document ("would-update", ...).
const char* outcomeName(Outcome outcome);

} // namespace tolvar::cli
