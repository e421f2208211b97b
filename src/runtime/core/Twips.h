#pragma once

#include "runtime/core/Failure.h"

#include <optional>

// Geometry as the forms API keeps it: in twips, a left and top anywhere, a width and height
// never negative.
namespace tolvar::rt {

struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// A width or height as the API takes it: a negative one is refused.
inline float checkedExtent(float twips) {
    if (twips < 0) {
        raise(desc::InvalidPropertyValue);
    }
    return twips;
}

// The rectangle after Move(left[, top[, width[, height]]]): what is passed replaces, the rest
// stays. Every value is checked before anything changes, so a refused one moves nothing.
inline TwipsRect moved(const TwipsRect& from, float left, std::optional<float> top,
                       std::optional<float> width, std::optional<float> height) {
    return {left, top.value_or(from.top), checkedExtent(width.value_or(from.width)),
            checkedExtent(height.value_or(from.height))};
}

} // namespace tolvar::rt
