#include "platform/RunningProgram.h"

#include "platform/FsFailure.h"

#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tolvar::platform {

fs::path executableDirectory() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        raiseFor(error, "/proc/self/exe");
    }
    return self.parent_path();
}

bool standardErrorIsTerminal() noexcept {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace tolvar::platform
