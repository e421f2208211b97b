#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tolvar::rt {
class Form;
}

// Display adaptation: the ratios from the design screen (800 x 600 pixels at 96 DPI) to the
// screen in use, and the rescaling of a window's controls by them.
namespace tolvar::modReso {

// 0 before InitScrReso has run; exactly 1.0 when no adaptation applies.
extern float ScaleX;
extern float ScaleY;
extern float ScaleAvg;

// Measures the screen, reads the user's DPI and section "ScrReso" of the settings profile, and
// sets the three ratios. Never fails: whatever cannot be learnt falls back to the design screen.
void InitScrReso();

// Rescales the fonts, positions and sizes of every control of a just-loaded window, then the
// window itself. Never fails: a step a control refuses is passed over.
void ResizeControls(rt::Form& window);

// What the screen measured as. A measurement that failed stays 0.
struct ScreenReading {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t dpi = 0;
    // The second opinion on the pixel size, asked only when the first is missing.
    float widthTwips = 0;
    float heightTwips = 0;
    float twipsPerPixelX = 0;
    float twipsPerPixelY = 0;
};

struct Ratios {
    float scaleX = 1.0F;
    float scaleY = 1.0F;
    float scaleAvg = 1.0F;
};

// The rules of InitScrReso on what was measured and read: `logPixels` is the registry DPI as
// text, `setting` gives a key of section "ScrReso" as text ("0" when missing) and is asked
// only for the keys the mode needs.
Ratios ratiosFor(const ScreenReading& screen, const std::string& logPixels,
                 const std::function<std::string(const char* key)>& setting);

} // namespace tolvar::modReso
