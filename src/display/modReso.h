#pragma once

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

void InitScrReso();
void ResizeControls(rt::Form& window);

} // namespace tolvar::modReso
