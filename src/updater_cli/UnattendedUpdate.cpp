#include "updater_cli/UnattendedUpdate.h"

#include "platform/FolderOps.h"
#include "runtime/core/Failure.h"
#include "update_engine/TreeCompare.h"
#include "updater_cli/ExitCodes.h"
#include "updater_cli/Progress.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace fs = std::filesystem;

namespace tolvar::cli {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool isNamed(const Options& options, std::string_view product) {
    return std::find(options.products.begin(), options.products.end(), product) !=
           options.products.end();
}

// The products to work on in row order, each with its directory and, where it is not installed,
// that outcome already.
std::vector<ProductResult> choose(const Options& options) {
    std::vector<ProductResult> chosen;
    for (const std::string_view product : engine::Products) {
        ProductResult result;
        result.name = product;
        result.named = isNamed(options, product);
        if (!result.named && !options.products.empty()) {
            continue;
        }
        const auto given = options.directories.find(result.name);
        const std::string fromRegistry =
            given == options.directories.end() ? engine::installDirectory(product) : "";
        if (!result.named && fromRegistry.empty()) {
            continue;
        }
        result.directory =
            given != options.directories.end() ? given->second : fs::path(fromRegistry);
        if (result.directory.empty()) {
            result.error = "No InstallPath for " + result.name + " in the registry";
        } else if (!platform::folderExists(result.directory)) {
            result.error = "Folder not exists " + result.directory.string();
        } else {
            result.outcome = Outcome::WouldUpdate;
        }
        chosen.push_back(std::move(result));
    }
    return chosen;
}

void replace(ProductResult& result, const fs::path& source, std::uint64_t files,
             Progress& progress) {
    const Clock::time_point start = Clock::now();
    std::atomic<std::uint64_t> filesCopied{0};
    try {
        progress.start(result.name, files, filesCopied);
        const bool updated =
            engine::replaceNorvik(source, engine::targetFolder(result.directory), &filesCopied);
        progress.stop();
        result.outcome = updated ? Outcome::Updated : Outcome::Failed;
        if (!updated) {
            result.error = "Error Updating Norvik Utility.";
        }
    } catch (const rt::Failure& failure) {
        progress.stop();
        result.outcome = Outcome::Failed;
        result.error = failure.description();
    }
    if (result.outcome == Outcome::Failed) {
        result.files = 0;
        result.bytes = 0;
    }
    result.seconds = secondsSince(start);
}

} // namespace

int Report::exitCode() const {
    bool failed = false, busy = false;
    for (const ProductResult& product : products) {
        if (product.outcome == Outcome::Failed && engine::isUpdateInProgress(product.error)) {
            busy = true;
        } else if (product.outcome == Outcome::Failed ||
                   (product.outcome == Outcome::NotInstalled && product.named)) {
            failed = true;
        }
    }
    return failed ? exitcode::ProductFailed : busy ? exitcode::UpdateInProgress : exitcode::Done;
}

Report runUpdate(const Options& options, const fs::path& executableDirectory, Progress& progress) {
    Report report;
    report.check = options.check;
    report.source = options.source ? *options.source : engine::sourceFolder(executableDirectory);
    if (!platform::folderExists(report.source)) {
        rt::raise("No source folder: '" + report.source.string() + "'");
    }
    const engine::TreeSize size = engine::measureTree(report.source);
    report.products = choose(options);

    bool anyToUpdate = false;
    for (ProductResult& result : report.products) {
        if (result.outcome != Outcome::WouldUpdate) {
            continue;
        }
        const Clock::time_point start = Clock::now();
        if (engine::sameTree(report.source, engine::targetFolder(result.directory))) {
            result.outcome = Outcome::Unchanged;
            result.seconds = secondsSince(start);
            continue;
        }
        result.files = size.files;
        result.bytes = size.bytes;
        result.seconds = secondsSince(start);
        anyToUpdate = true;
    }
    if (options.check || !anyToUpdate) {
        return report;
    }
    report.ended = engine::endHelpers([] {});
    for (ProductResult& result : report.products) {
        if (result.outcome == Outcome::WouldUpdate) {
            replace(result, report.source, size.files, progress);
        }
    }
    return report;
}

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Updated:
        return "updated";
    case Outcome::Unchanged:
        return "unchanged";
    case Outcome::WouldUpdate:
        return "would-update";
    case Outcome::NotInstalled:
        return "not-installed";
    case Outcome::Failed:
        return "failed";
    }
    return "failed";
}

} // namespace tolvar::cli
