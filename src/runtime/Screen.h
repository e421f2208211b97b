#pragma once

#include "platform/WindowFrame.h"

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

int toPixelsX(float twips);
int toPixelsY(float twips);
float fromPixelsX(int pixels);
float fromPixelsY(int pixels);

} // namespace tolvar::rt::screen
