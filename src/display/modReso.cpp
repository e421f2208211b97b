#include "display/modReso.h"

#include "runtime/Form.h"

namespace tolvar::modReso {

float ScaleX = 0.0F;
float ScaleY = 0.0F;
float ScaleAvg = 0.0F;

// The design screen is taken for the screen in use: every ratio is exactly 1.0 until the
// screen is measured.
void InitScrReso() {
    ScaleX = 1.0F;
    ScaleY = 1.0F;
    ScaleAvg = 1.0F;
}

// With every ratio 1.0 there is nothing to rescale.
void ResizeControls(rt::Form& /*window*/) {}

} // namespace tolvar::modReso
