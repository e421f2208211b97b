#include "platform/DriveRoot.h"

namespace tolvar::platform {

// "\" is the root of the current directory's drive: "C:\", or "\\server\share\" on a network
// path.
std::filesystem::path driveRoot() {
    return std::filesystem::absolute("\\");
}

} // namespace tolvar::platform
