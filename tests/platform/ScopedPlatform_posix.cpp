#include "platform/ScopedEnv.h"
#include "platform/ScopedPlatform.h"
#include "platform/TreeFixture.h"

#include <atomic>
#include <unistd.h>

namespace fs = std::filesystem;

struct ScopedRegistry::Stand {
    ScopedEnv file;
};

ScopedRegistry::ScopedRegistry(const std::string& file)
    : stand_(new Stand{{"TOLVAR_REGISTRY", file}}) {}

ScopedRegistry::~ScopedRegistry() = default;

struct ScopedDriveRootFile::Stand {
    fs::path root;
    ScopedEnv variable{"TOLVAR_ROOT", root.string()};
};

ScopedDriveRootFile::ScopedDriveRootFile(const std::string& name,
                                         const std::optional<std::string>& contents) {
    static std::atomic<int> count;
    stand_.reset(
        new Stand{fs::temp_directory_path() /
                  ("tolvar-drive-" + std::to_string(::getpid()) + "-" + std::to_string(count++))});
    fs::create_directories(stand_->root);
    if (contents)
        writeFile(stand_->root / name, *contents);
}

ScopedDriveRootFile::~ScopedDriveRootFile() {
    std::error_code ignored;
    fs::remove_all(stand_->root, ignored);
}

bool ScopedDriveRootFile::ready() const {
    return true;
}
