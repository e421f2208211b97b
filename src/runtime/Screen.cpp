#include "runtime/Screen.h"

#include "runtime/core/Numbers.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

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
    return primary() != nullptr
               ? static_cast<float>(primary()->size().height()) * twipsPerPixelY()
               : 0.0F;
}

FrameMetrics frameMetrics() {
    // A window the window manager has already framed tells the real thickness; before any
    // has been (and on a platform without decorations) the style's title bar stands in.
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        const QWindow* window = widget->windowHandle();
        if (widget->isVisible() && window != nullptr && window->frameMargins().top() > 0) {
            const QMargins margins = window->frameMargins();
            return {margins.top() - margins.bottom(), margins.bottom()};
        }
    }
    const QStyle* style = QApplication::style();
    const int caption = style != nullptr ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    return {caption, 3};
}

int toPixelsX(float twips) {
    return static_cast<int>(roundHalfEven(static_cast<double>(twips / twipsPerPixelX())));
}
int toPixelsY(float twips) {
    return static_cast<int>(roundHalfEven(static_cast<double>(twips / twipsPerPixelY())));
}
float fromPixelsX(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixelX();
}
float fromPixelsY(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixelY();
}

} // namespace tolvar::rt::screen
