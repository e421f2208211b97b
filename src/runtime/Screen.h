#pragma once

#include "platform/WindowFrame.h"
#include "runtime/core/Twips.h"

#include <QRect>

// The screen as the forms see it: sizes in twips (1/1440 inch) and the conversions between
// twips and the screen's own pixels.
namespace tolvar::rt::screen {

float twipsPerPixelX();
float twipsPerPixelY();
float widthTwips();
float heightTwips();

// The frame around a top-level window, in pixels: the caption bar's height and the thickness of
// a dialog frame.
using FrameMetrics = platform::FrameMetrics;
FrameMetrics frameMetrics();

// Rounded half to even; a pixel count outside the 32-bit range raises "Overflow".
int toPixelsX(float twips);
int toPixelsY(float twips);
// The same for a place, as forms and controls hold theirs, whose far edges must lie in the range
// too, as Qt keeps them.
QRect toPixelRect(const TwipsRect& place);
float fromPixelsX(int pixels);
float fromPixelsY(int pixels);

} // namespace tolvar::rt::screen
