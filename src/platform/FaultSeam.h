#pragma once

#include <optional>
#include <string>

// Where the folder operations ask for what a test set through platform::testing.
namespace tolvar::platform::seam {

struct CopyFault {
    int afterFiles = 0;
    std::string description;
};

std::optional<CopyFault> copyFault();

} // namespace tolvar::platform::seam
