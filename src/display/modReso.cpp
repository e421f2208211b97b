#include "display/modReso.h"

#include "platform/DisplayMetrics.h"
#include "platform/Registry.h"
#include "platform/modAPIs.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"
#include "runtime/Properties.h"
#include "runtime/Screen.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"
#include "runtime/core/Resume.h"

#include <QGuiApplication>
#include <QLatin1String>
#include <QScreen>

#include <algorithm>
#include <array>
#include <optional>

namespace tolvar::modReso {

float ScaleX = 0.0F;
float ScaleY = 0.0F;
float ScaleAvg = 0.0F;

namespace {

constexpr std::int32_t DesignWidth = 800;
constexpr std::int32_t DesignHeight = 600;
constexpr std::int32_t DesignDpi = 96;
// A per-user DPI outside this range is taken for a stale or mistyped setting.
constexpr std::int32_t LowestUserDpi = 96;
constexpr std::int32_t HighestUserDpi = 192;

std::int32_t wholeNumber(const std::string& text) {
    return rt::toInt32(rt::leadingNumber(text));
}

// A pixel count the display mode did not give is asked of the screen in twips, and failing
// that taken from the design screen.
std::int32_t pixelsOr(std::int32_t measured, float twips, float twipsPerPixel,
                      std::int32_t design) {
    if (measured < 1) {
        rt::step([&] { measured = rt::toInt32(static_cast<double>(twips) / twipsPerPixel); });
    }
    return measured < 1 ? design : measured;
}

// A configured target below 1, or one that does not fit, leaves the measured value.
std::int32_t targetOr(const std::string& setting, std::int32_t measured) {
    std::int32_t target = 0;
    rt::step([&] { target = wholeNumber(setting); });
    return target < 1 ? measured : target;
}

// Rounded to a 32-bit float once, from the exact quotient, so that it is the float nearest to
// the true ratio: rounding the resolution ratio first and again after the DPI correction can
// land one step off (1.0239999 instead of 1.024 at 120 DPI).
float ratio(std::int32_t target, std::int32_t design, std::int32_t dpi) {
    return static_cast<float>(static_cast<double>(target) * DesignDpi /
                              (static_cast<double>(design) * dpi));
}

const QScreen& primaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        rt::raise(rt::desc::InvalidProcedureCall);
    }
    return *screen;
}

} // namespace

Ratios ratiosFor(const ScreenReading& screen, const std::string& logPixels,
                 const std::function<std::string(const char* key)>& setting) {
    std::int32_t dpi = screen.dpi;
    std::int32_t userDpi = 0;
    rt::step([&] { userDpi = wholeNumber(logPixels); });
    if (userDpi >= LowestUserDpi && userDpi <= HighestUserDpi && userDpi > dpi) {
        dpi = userDpi;
    }
    const std::int32_t width =
        pixelsOr(screen.width, screen.widthTwips, screen.twipsPerPixelX, DesignWidth);
    const std::int32_t height =
        pixelsOr(screen.height, screen.heightTwips, screen.twipsPerPixelY, DesignHeight);
    if (dpi < 1) {
        dpi = DesignDpi;
    }

    std::int16_t mode = 0;
    rt::step([&] { mode = rt::toInt16(rt::leadingNumber(setting("Opt"))); });
    if (mode != 0 && mode != 1) {
        return {};
    }
    std::int32_t targetWidth = width;
    std::int32_t targetHeight = height;
    std::int32_t targetDpi = dpi;
    if (mode == 1) {
        targetWidth = targetOr(setting("X"), width);
        targetHeight = targetOr(setting("Y"), height);
        targetDpi = targetOr(setting("DPI"), dpi);
    }
    Ratios ratios;
    ratios.scaleX = ratio(targetWidth, DesignWidth, targetDpi);
    ratios.scaleY = ratio(targetHeight, DesignHeight, targetDpi);
    ratios.scaleAvg = (ratios.scaleX + ratios.scaleY) / 2;
    return ratios;
}

void InitScrReso() {
    // A run that stops early leaves the design screen in force.
    ScaleX = ScaleY = ScaleAvg = 1.0F;

    ScreenReading reading;
    // Where the platform measures the display mode and the desktop's DPI itself, that is the
    // measurement the rules are made for; elsewhere the primary screen as Qt sees it, with
    // Qt's own high-DPI scaling off, so that pixels and DPI are the screen's own.
    std::optional<platform::DisplayMetrics> display;
    rt::step([&] { display = platform::measureDisplay(); });
    if (display) {
        reading.width = display->width;
        reading.height = display->height;
        reading.dpi = display->dpi;
    } else {
        rt::step([&] {
            const QSize size = primaryScreen().size();
            reading.width = size.width();
            reading.height = size.height();
        });
        rt::step([&] { reading.dpi = rt::toInt32(primaryScreen().logicalDotsPerInchX()); });
    }
    rt::step([&] {
        reading.widthTwips = rt::screen::widthTwips();
        reading.heightTwips = rt::screen::heightTwips();
        reading.twipsPerPixelX = rt::screen::twipsPerPixelX();
        reading.twipsPerPixelY = rt::screen::twipsPerPixelY();
    });
    std::string logPixels;
    rt::step([&] {
        logPixels = modAPIs::ReadRegistryValue(modAPIs::HKEY_CURRENT_USER, "Control Panel\\Desktop",
                                               "LogPixels", platform::regtype::Dword, "");
    });
    const Ratios ratios = ratiosFor(reading, logPixels, [](const char* key) {
        return modAPIs::ReadConfigValue("ScrReso", key, "0");
    });
    ScaleX = ratios.scaleX;
    ScaleY = ratios.scaleY;
    ScaleAvg = ratios.scaleAvg;
}

namespace {

using rt::Fixed4;

// The rescaling knows controls only by class name and named properties, so it serves any form it
// is given, not only this program's two windows: the lists and the tabbed dialog and grid below
// name kinds neither window has, which a form built on the same run-time may hold.
//
// The controls a window's rescaling leaves alone, and those whose font it leaves alone.
constexpr std::array<QLatin1String, 4> Untouched{QLatin1String("MENU"), QLatin1String("TIMER"),
                                                 QLatin1String("COMMONDIALOG"),
                                                 QLatin1String("MDIEXTEND")};
constexpr std::array<QLatin1String, 5> FontKept{
    QLatin1String("LINE"), QLatin1String("SHAPE"), QLatin1String("IMAGE"),
    QLatin1String("PROGRESSBAR"), QLatin1String("CLGRD")};
constexpr QLatin1String TabbedDialog("SSTAB");
constexpr QLatin1String Grid("VSFLEXGRID");

template <std::size_t N>
bool listed(const std::array<QLatin1String, N>& names, const QString& className) {
    return std::find(names.begin(), names.end(), className) != names.end();
}

// The forms run-time's built-in kinds go by their class names ("Label", "CheckBox",
// "OptionButton", "ComboBox", "Line").
bool isKind(const rt::Control& control, const char* kind) {
    return control.className() == QLatin1String(kind);
}

QString containerClassName(const rt::Control& control) {
    const QObject* container = control.container();
    if (container == nullptr) {
        rt::raise(rt::desc::InvalidProcedureCall);
    }
    // A form goes by its own name, the way a form's type is named after it.
    const auto* holder = qobject_cast<const rt::Control*>(container);
    return (holder != nullptr ? holder->className() : container->objectName()).toUpper();
}

double number(const QObject& object, const char* name) {
    bool ok = false;
    const double value = rt::getProperty(&object, name).toDouble(&ok);
    if (!ok) {
        rt::raise(rt::desc::InvalidPropertyValue);
    }
    return value;
}

bool flag(const QObject& object, const char* name) {
    return rt::getProperty(&object, name).toBool();
}

// Property = Property x ratio, as one statement of its own.
void scaleProperty(QObject& object, const char* name, float ratio) {
    rt::step([&] { rt::setProperty(&object, name, number(object, name) * ratio); });
}

// How many of the four values a Move passes: the ones left out keep their size.
enum class Moved { LeftTop = 2, AndWidth = 3, AndHeight = 4 };

// Move(left, Top x ScaleY[, Width x ScaleX[, Height x ScaleY]]), the left being Left x ScaleX
// unless `left` works it out. Every value is read before anything moves, so a value that cannot
// be read leaves the control where it was.
template <class Movable>
void moveScaled(Movable& target, Moved values, const std::function<double()>& left = {}) {
    rt::step([&] {
        const auto newLeft = static_cast<float>(left ? left() : number(target, "Left") * ScaleX);
        const auto newTop = static_cast<float>(number(target, "Top") * ScaleY);
        std::optional<float> newWidth;
        std::optional<float> newHeight;
        if (values >= Moved::AndWidth) {
            newWidth = static_cast<float>(number(target, "Width") * ScaleX);
        }
        if (values == Moved::AndHeight) {
            newHeight = static_cast<float>(number(target, "Height") * ScaleY);
        }
        target.move(newLeft, newTop, newWidth, newHeight);
    });
}

Fixed4 fontSizeOf(const rt::Control& control) {
    return Fixed4::fromDouble(number(control, "FontSize"));
}

void setFontSize(rt::Control& control, Fixed4 size) {
    rt::step([&] { rt::setProperty(&control, "FontSize", size.toDouble()); });
}

Fixed4 scaledFontSize(Fixed4 size) {
    return Fixed4::fromDouble(rt::roundHalfEven(size.toDouble() * ScaleAvg, 1));
}

// A self-sizing label that is not left-aligned keeps its right edge or its centre where the
// design put it, so its place before the font grows is saved for the geometry step.
bool anchoredLabel(const rt::Control& control) {
    return isKind(control, "Label") && rt::passes([&] {
               return flag(control, "AutoSize") && number(control, "Alignment") != 0;
           });
}

// Scales the font by ScaleAvg. A font that does not offer the size asked for reports a larger
// one; the request then steps down by a tenth of a point until the font fits, and when no
// size down to nothing fits, the target, its whole part and the same two in Arial are tried.
void resizeFont(rt::Control& control) {
    bool fitted = false;
    const Fixed4 zero;
    const Fixed4 tenth = Fixed4::fromUnits(Fixed4::Scale / 10);
    Fixed4 oldSize;
    Fixed4 requested;
    rt::step([&] { oldSize = fontSizeOf(control); });
    rt::step([&] { requested = scaledFontSize(oldSize); });
    if (isKind(control, "CheckBox") || isKind(control, "OptionButton")) {
        // The box beside the caption needs room too.
        rt::step([&] { requested = requested.times(0.98); });
    }
    for (;;) {
        if (requested <= zero) {
            rt::step([&] { requested = scaledFontSize(oldSize); });
            break;
        }
        setFontSize(control, requested);
        if (rt::passes([&] { return fontSizeOf(control) > requested; })) {
            rt::step([&] { requested = requested - tenth; });
            continue;
        }
        fitted = true;
        break;
    }
    if (fitted || requested <= zero) {
        return;
    }
    const auto refused = [&] {
        return rt::passes([&] {
            const Fixed4 now = fontSizeOf(control);
            return now == oldSize || now > requested;
        });
    };
    setFontSize(control, requested);
    if (refused()) {
        setFontSize(control, requested.floor());
    }
    if (refused()) {
        rt::step([&] { rt::setProperty(&control, "FontName", QStringLiteral("Arial")); });
        setFontSize(control, requested);
    }
    if (refused()) {
        setFontSize(control, requested.floor());
    }
}

// A self-sizing label keeps the size its text gives it in the new font: only what the text
// does not decide is scaled.
void labelGeometry(rt::Control& label, float savedLeft, float savedWidth) {
    if (!rt::passes([&] { return flag(label, "AutoSize"); })) {
        moveScaled(label, Moved::AndHeight);
        return;
    }
    const bool wraps = rt::passes([&] { return flag(label, "WordWrap"); });
    if (!rt::passes([&] { return number(label, "Alignment") != 0; })) {
        moveScaled(label, wraps ? Moved::AndWidth : Moved::LeftTop);
        return;
    }
    // Right-aligned keeps the right edge, centred keeps the centre.
    const double k = rt::passes([&] { return number(label, "Alignment") == 1; }) ? 1.0 : 2.0;
    if (wraps) {
        moveScaled(label, Moved::AndWidth, [&] {
            return (savedLeft + (savedWidth - number(label, "Width")) / k) * ScaleX;
        });
    } else {
        moveScaled(label, Moved::LeftTop, [&] {
            return (savedLeft + (savedWidth - number(label, "Width") / ScaleX) / k) * ScaleX;
        });
    }
}

// A control pushed off to the left is brought back into view, at the design's usual margin of
// 120 twips, except inside a tabbed dialog, which parks the controls of its hidden tabs 75000
// twips to the left.
void bringIntoView(rt::Control& control) {
    constexpr double Margin = 120.0;
    constexpr double HiddenTabShift = 75000.0;
    if (!rt::passes([&] { return number(control, "Left") < 0; })) {
        return;
    }
    if (rt::passes([&] { return containerClassName(control) != TabbedDialog; })) {
        rt::step([&] { rt::setProperty(&control, "Left", Margin); });
    } else {
        rt::step(
            [&] { rt::setProperty(&control, "Left", number(control, "Left") + HiddenTabShift); });
    }
}

void geometry(rt::Control& control, const QString& className, float savedLeft, float savedWidth) {
    if (isKind(control, "ComboBox")) {
        // A combo box's height follows its font.
        scaleProperty(control, "Left", ScaleX);
        scaleProperty(control, "Top", ScaleY);
        scaleProperty(control, "Width", ScaleX);
    } else if (isKind(control, "Line")) {
        scaleProperty(control, "X1", ScaleX);
        scaleProperty(control, "X2", ScaleX);
        scaleProperty(control, "Y1", ScaleY);
        scaleProperty(control, "Y2", ScaleY);
    } else if (isKind(control, "Label")) {
        labelGeometry(control, savedLeft, savedWidth);
    } else if (className != TabbedDialog) {
        bringIntoView(control);
        moveScaled(control, Moved::AndHeight);
    } else {
        // The tab width limit never exceeds the control: it shrinks before the control
        // does and grows after it.
        scaleProperty(control, "TabHeight", ScaleY);
        if (ScaleX < 1) {
            scaleProperty(control, "TabMaxWidth", ScaleX);
            moveScaled(control, Moved::AndHeight);
        } else {
            moveScaled(control, Moved::AndHeight);
            scaleProperty(control, "TabMaxWidth", ScaleX);
        }
    }
}

} // namespace

void ResizeControls(rt::Form& window) {
    if (ScaleX == 1.0F && ScaleY == 1.0F && ScaleAvg == 1.0F) {
        return;
    }
    if (ScaleX <= 0 || ScaleY <= 0 || ScaleAvg <= 0) {
        return;
    }
    // An anchored label's place is saved in its own visit; a failed read keeps the last one.
    float savedLeft = 0;
    float savedWidth = 0;
    const int count = window.count();
    for (int i = 0; i < count; ++i) {
        rt::step([&] {
            rt::Control& control = *window.control(i);
            const QString className = control.className().toUpper();
            if (listed(Untouched, className)) {
                return;
            }
            if (!listed(FontKept, className)) {
                if (anchoredLabel(control)) {
                    rt::step([&] { savedLeft = static_cast<float>(number(control, "Left")); });
                    rt::step([&] { savedWidth = static_cast<float>(number(control, "Width")); });
                }
                resizeFont(control);
            }
            geometry(control, className, savedLeft, savedWidth);
            if (className == Grid) {
                scaleProperty(control, "ColWidthMax", ScaleX);
                scaleProperty(control, "RowHeightMax", ScaleY);
                scaleProperty(control, "ColWidthMin", ScaleX);
                scaleProperty(control, "RowHeightMin", ScaleY);
            }
        });
    }
    moveScaled(window, Moved::AndHeight);
}

} // namespace tolvar::modReso
