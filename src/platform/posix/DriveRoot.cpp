#include "platform/DriveRoot.h"

#include <cstdlib>

namespace tolvar::platform {

// There are no drives here: TOLVAR_ROOT names the directory that stands for the root of the
// current drive, and without it the file system's own root serves.
std::filesystem::path driveRoot() {
    const char* root = std::getenv("TOLVAR_ROOT");
    return root != nullptr && *root != '\0' ? std::filesystem::path(root)
                                            : std::filesystem::path("/");
}

} // namespace tolvar::platform
