#pragma once

#include "runtime/core/Twips.h"

#include <QString>

#include <functional>
#include <vector>

// The arrangement of a message box for its text, icon, buttons and the display, worked out
// from plain numbers so that it can be checked without a window. All lengths are twips held
// as single-precision values; positions are relative to the client area, the window's size is
// its outer size.
namespace tolvar::msgbox {

struct TwipsSize {
    float width = 0;
    float height = 0;
    friend bool operator==(const TwipsSize&, const TwipsSize&) = default;
};

using rt::TwipsRect;

// How the message label sizes itself in its font.
struct TextMeasure {
    // The size of the text on its own lines, unwrapped: widest line by all lines.
    std::function<TwipsSize(const QString& text)> natural;
    // The size once the label is held to `width` and wraps at word boundaries.
    std::function<TwipsSize(const QString& text, float width)> wrapped;
};

struct LayoutInput {
    QString message;
    int buttonCount = 1; // 1 to 3
    int iconKind = 0;    // as rt::MsgBoxStyle decodes them
    int defaultButton = 0;
    float captionHeight = 0;
    float frameHeight = 0;
    float scaleX = 1;
    float scaleY = 1;
    float screenWidth = 0;
    // The controls as the window's rescaling left them. Only the label's top counts: its size
    // comes from the text. Every button has the first button's size. The critical icon's
    // square stands for the icon's place whichever icon is shown, or none.
    TwipsRect label;
    TwipsRect button;
    TwipsRect icon;
};

struct Layout {
    QString labelCaption; // the message with each tab shown as four spaces
    TwipsRect label;
    bool labelWordWrap = false;
    std::vector<TwipsRect> buttons;
    // Button indexes in tab order; the first one receives the focus.
    std::vector<int> tabOrder;
    float windowWidth = 0;
    float windowHeight = 0;
};

// Raises "Overflow" when the arithmetic leaves the finite single-precision range.
Layout layOut(const LayoutInput& input, const TextMeasure& measure);

} // namespace tolvar::msgbox
