#include "platform/RunningProgram.h"

#include "platform/FsFailure.h"

#include <windows.h>

#include <io.h>
#include <stdio.h>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace tolvar::platform {

fs::path executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            raiseFor(std::error_code(static_cast<int>(GetLastError()), std::system_category()),
                     "GetModuleFileNameW");
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool standardErrorIsTerminal() noexcept {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace tolvar::platform
