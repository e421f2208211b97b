#include "message_box/MsgBoxLayout.h"

#include "runtime/MessageBoxStyle.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tolvar::msgbox {

namespace {
// An infinity or a NaN means an operation left the representable range, which the run-time
// reports as an overflow; the caller then falls back to the platform's box.
float checked(float value) {
    if (!std::isfinite(value)) {
        rt::raise(rt::desc::Overflow);
    }
    return value;
}
float add(float a, float b) {
    return checked(a + b);
}
float sub(float a, float b) {
    return checked(a - b);
}
float mul(float a, float b) {
    return checked(a * b);
}
float half(float a) {
    return checked(a / 2);
}

// Lengths are compared in whole twips, so that a fraction of a twip left by the rescaling
// never tips a decision.
double whole(float twips) {
    return rt::roundHalfEven(static_cast<double>(twips));
}
float madeWhole(float twips) {
    return static_cast<float>(whole(twips));
}

// Giving a control a tab index moves it to that place and shifts the others. The buttons
// first take the places 0 to n - 1 in their own order, and every later move stays among them,
// so their order there is the whole story.
std::vector<int> tabOrderFor(int buttonCount, int defaultButton) {
    std::vector<int> order;
    for (int i = 0; i < buttonCount; ++i) {
        order.push_back(i);
    }
    const auto moveTo = [&order](int button, int place) {
        std::erase(order, button);
        order.insert(order.begin() + place, button);
    };
    // The default button's index: it and every button after it move up by that much.
    const int shift = rt::defaultButtonIndex(defaultButton);
    if (shift > 0) {
        for (int i = shift; i < buttonCount; ++i) {
            moveTo(i, i - shift);
        }
    }
    return order;
}
} // namespace

Layout layOut(const LayoutInput& in, const TextMeasure& measure) {
    Layout out;
    const float buttonGap = mul(60, in.scaleX);
    const float textGap = mul(120, in.scaleY);
    const float bottomMargin = mul(60, in.scaleY);
    const float sideMargin = in.icon.left;

    float rowWidth = 0;
    for (int i = 0; i < in.buttonCount; ++i) {
        if (i > 0) {
            rowWidth = add(rowWidth, buttonGap);
        }
        rowWidth = add(rowWidth, in.button.width);
    }
    out.tabOrder = tabOrderFor(in.buttonCount, in.defaultButton);

    out.labelCaption = in.message;
    out.labelCaption.replace(QLatin1Char('\t'), QStringLiteral("    "));
    TwipsSize labelSize = measure.natural(out.labelCaption);

    float column = labelSize.width;
    if (whole(column) < whole(rowWidth)) {
        column = rowWidth;
    } else {
        const float widest = mul(0.5F, in.screenWidth);
        if (whole(column) > whole(widest)) {
            column = madeWhole(widest);
        }
    }
    if (whole(column) < whole(labelSize.width)) {
        labelSize = measure.wrapped(out.labelCaption, column);
        out.labelWordWrap = true;
        column = labelSize.width;
    }
    const float narrowest = mul(0.2F, in.screenWidth);
    if (whole(column) < whole(narrowest)) {
        column = madeWhole(narrowest);
    }

    float labelLeft = 0;
    if (in.iconKind > 0) {
        const float columnLeft = add(add(in.icon.left, in.icon.width), buttonGap);
        out.windowWidth = add(add(columnLeft, column), sideMargin);
        labelLeft = add(columnLeft, half(sub(column, labelSize.width)));
    } else {
        out.windowWidth = add(add(sideMargin, column), sideMargin);
        labelLeft = half(sub(out.windowWidth, labelSize.width));
    }
    out.label = {labelLeft, in.label.top, labelSize.width, labelSize.height};

    // A short message, icon or not, keeps its buttons below the icon's place.
    const float rowTop = whole(labelSize.height) > whole(in.icon.height)
                             ? add(add(in.label.top, labelSize.height), textGap)
                             : add(add(in.icon.top, in.icon.height), textGap);
    float left = half(sub(out.windowWidth, rowWidth));
    for (int i = 0; i < in.buttonCount; ++i) {
        if (i > 0) {
            left = add(add(left, in.button.width), buttonGap);
        }
        out.buttons.push_back({left, rowTop, in.button.width, in.button.height});
    }

    out.windowHeight =
        add(add(add(add(add(in.captionHeight, in.frameHeight), rowTop), in.button.height),
                bottomMargin),
            in.frameHeight);
    return out;
}

} // namespace tolvar::msgbox
