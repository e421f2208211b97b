#pragma once

#include <optional>

// The display as the platform measures it for the program's display adaptation.
namespace tolvar::platform {

struct DisplayMetrics {
    // The current display mode in pixels; 0 where the platform gave no answer.
    int width = 0;
    int height = 0;
    // The desktop's logical dots per inch horizontally; 0 where the platform gave no answer.
    int dpi = 0;
};

// Empty where the platform has no such measurement and the windowing toolkit's screen is the
// one to ask.
std::optional<DisplayMetrics> measureDisplay();

} // namespace tolvar::platform
