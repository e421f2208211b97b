#include "runtime/Screen.h"

#include "runtime/core/Numbers.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace tolvar::rt::screen {

namespace {
const QScreen* primary() {
    return QGuiApplication::primaryScreen();
}
float twipsPerPixel(qreal dpi) {
    return dpi > 0 ? static_cast<float>(1440.0 / dpi) : 15.0F;
}
} // namespace

float twipsPerPixelX() {
    return twipsPerPixel(primary() != nullptr ? primary()->logicalDotsPerInchX() : 96.0);
}

float twipsPerPixelY() {
    return twipsPerPixel(primary() != nullptr ? primary()->logicalDotsPerInchY() : 96.0);
}

float widthTwips() {
    return primary() != nullptr ? static_cast<float>(primary()->size().width()) * twipsPerPixelX()
                                : 0.0F;
}

float heightTwips() {
    return primary() != nullptr ? static_cast<float>(primary()->size().height()) * twipsPerPixelY()
                                : 0.0F;
}

FrameMetrics frameMetrics() {
    if (const std::optional<FrameMetrics> system = platform::systemFrameMetrics()) {
        return *system;
    }
    // A window manager tells its real frame only once a window is mapped, and offscreen there
    // is none at all. What matters is that a form's outer size and its client area are always
    // converted with the same numbers, so the style's title bar and a fixed dialog frame serve
    // every form, before and after any window is shown.
    const QStyle* style = QApplication::style();
    const int caption = style != nullptr ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    return {caption, 3};
}

int toPixelsX(float twips) {
    return toInt32(static_cast<double>(twips / twipsPerPixelX()));
}
int toPixelsY(float twips) {
    return toInt32(static_cast<double>(twips / twipsPerPixelY()));
}
QRect toPixelRect(const TwipsRect& place) {
    const int x = toPixelsX(place.left);
    const int y = toPixelsY(place.top);
    const int w = toPixelsX(place.width);
    const int h = toPixelsY(place.height);
    // Raises for a far edge past the range; Qt would compute it in int and overflow.
    toInt32(static_cast<double>(x) + w);
    toInt32(static_cast<double>(y) + h);
    return {x, y, w, h};
}
float fromPixelsX(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixelX();
}
float fromPixelsY(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixelY();
}

} // namespace tolvar::rt::screen
