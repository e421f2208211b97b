// The message box layout for any message on any plausible screen: it either reports "Overflow"
// or gives every button its own place, the label and buttons inside the client area without
// overlapping, and a window no wider than the screen.
#include "FuzzCheck.h"
#include "message_box/MsgBoxLayout.h"
#include "runtime/core/Failure.h"

#include <QList>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

using namespace tolvar;
using namespace tolvar::msgbox;

namespace {

// A fixed-pitch face of `pitch` twips a character and `line` a line, which wraps anywhere.
TextMeasure fixedPitch(float pitch, float line) {
    const auto longest = [](const QString& text) {
        qsizetype widest = 0;
        for (const QStringView piece : QStringView(text).split(u'\n')) {
            widest = std::max(widest, piece.size());
        }
        return static_cast<float>(widest);
    };
    return {[=](const QString& text) {
                return TwipsSize{pitch * longest(text),
                                 line * static_cast<float>(text.count(u'\n') + 1)};
            },
            [=](const QString& text, float width) {
                const float perLine = std::max(1.0F, std::floor(width / pitch));
                float lines = 0;
                for (const QStringView piece : QStringView(text).split(u'\n')) {
                    lines += std::max(1.0F, std::ceil(static_cast<float>(piece.size()) / perLine));
                }
                return TwipsSize{std::min(width, pitch * longest(text)), line * lines};
            }};
}

TwipsRect scaled(TwipsRect design, float x, float y) {
    return {design.left * x, design.top * y, design.width * x, design.height * y};
}

bool overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    constexpr int IconKinds[] = {0, 16, 32, 48, 64};
    constexpr int Defaults[] = {0, 256, 512};
    // A screen of 640 to 7680 pixels across at 15 twips a pixel, the windows scaled to it from
    // the design's 800 x 600 as the display adaptation scales them.
    const float screenWidth = 15.0F * data.ConsumeIntegralInRange(640, 7680);
    const float scaleX = screenWidth / 12000;
    const float scaleY = 15.0F * data.ConsumeIntegralInRange(480, 4320) / 9000;
    LayoutInput in;
    in.buttonCount = data.ConsumeIntegralInRange(1, 3);
    in.iconKind = data.PickValueInArray(IconKinds);
    in.defaultButton = data.PickValueInArray(Defaults);
    in.captionHeight = 345;
    in.frameHeight = 45;
    in.scaleX = scaleX;
    in.scaleY = scaleY;
    in.screenWidth = screenWidth;
    in.label = scaled({960, 120, 1140, 255}, scaleX, scaleY);
    in.button = scaled({240, 840, 855, 315}, scaleX, scaleY);
    in.icon = scaled({120, 120, 480, 480}, scaleX, scaleY);
    const float pitch = data.ConsumeFloatingPointInRange(40.0F, 160.0F) * (scaleX + scaleY) / 2;
    const TextMeasure measure = fixedPitch(pitch, 2.4F * pitch);
    in.message = QString::fromUtf8(data.ConsumeRemainingBytesAsString());

    Layout out;
    try {
        out = layOut(in, measure);
    } catch (const rt::Failure& failure) {
        FUZZ_CHECK(failure.description() == rt::desc::Overflow);
        return 0;
    }
    FUZZ_CHECK(out.buttons.size() == static_cast<std::size_t>(in.buttonCount));
    std::vector<int> order = out.tabOrder;
    std::sort(order.begin(), order.end());
    for (int i = 0; i < in.buttonCount; ++i) {
        FUZZ_CHECK(order[static_cast<std::size_t>(i)] == i);
    }
    FUZZ_CHECK(out.windowWidth <= screenWidth);
    const float clientHeight = out.windowHeight - in.captionHeight - 2 * in.frameHeight;
    std::vector<TwipsRect> parts = out.buttons;
    parts.push_back(out.label);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const TwipsRect& part = parts[i];
        FUZZ_CHECK(part.left >= 0 && part.top >= 0 && part.width >= 0 && part.height >= 0);
        FUZZ_CHECK(part.left + part.width <= out.windowWidth + 0.5F);
        FUZZ_CHECK(part.top + part.height <= clientHeight + 0.5F);
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            FUZZ_CHECK(!overlap(part, parts[j]));
        }
    }
    return 0;
}
