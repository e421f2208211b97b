#pragma once

#include <filesystem>

// What a program without a window needs to know about itself.
namespace tolvar::platform {

// The folder that holds the running program's executable file, wherever it was started from.
std::filesystem::path executableDirectory();

// True when standard error is shown to a person (a terminal or console), not a file or a pipe.
bool standardErrorIsTerminal() noexcept;

} // namespace tolvar::platform
