// The number rules on any double and any text: the run-time failure "Overflow" is the only
// failure, a rounded value is the nearest one and stays put when rounded again, and a fixed-point
// value round-trips.
#include "FuzzCheck.h"
#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

using namespace tolvar::rt;

namespace {

template <class Compute> auto orOverflow(Compute&& compute) -> std::optional<decltype(compute())> {
    try {
        return compute();
    } catch (const Failure& failure) {
        FUZZ_CHECK(failure.description() == desc::Overflow);
        return std::nullopt;
    }
}

void rounding(double value, int digits) {
    const double rounded = roundHalfEven(value, digits);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(std::isnan(value) ? std::isnan(rounded) : rounded == value);
        return;
    }
    FUZZ_CHECK(std::isfinite(rounded));
    FUZZ_CHECK(roundHalfEven(rounded, digits) == rounded);
    // Off by at most half a unit of the last place kept, give or take the doubles' own steps and
    // the six places beyond it on which a half is decided.
    const double unit = std::pow(10.0, -digits);
    const double slack =
        4 * (std::nextafter(std::fabs(value), INFINITY) - std::fabs(value)) + unit * 1e-6;
    FUZZ_CHECK(std::fabs(rounded - value) <= unit / 2 + slack);
    FUZZ_CHECK(rounded == 0 || std::signbit(rounded) == std::signbit(value));
}

void fixedPoint(double value) {
    const auto fixed = orOverflow([&] { return Fixed4::fromDouble(value).units(); });
    if (!fixed) {
        FUZZ_CHECK(!std::isfinite(value) || std::fabs(value) > 9.2e14);
        return;
    }
    FUZZ_CHECK(std::fabs(value) < 9.3e14);
    if (std::fabs(static_cast<double>(*fixed)) < 1e14) {
        const double back = Fixed4::fromUnits(*fixed).toDouble();
        FUZZ_CHECK(Fixed4::fromDouble(back).units() == *fixed);
    }
}

void conversions(double value) {
    const auto whole = orOverflow([&] { return toInt32(value); });
    const double rounded = roundHalfEven(value);
    FUZZ_CHECK(whole.has_value() == (rounded >= INT32_MIN && rounded <= INT32_MAX));
    if (whole) {
        FUZZ_CHECK(*whole == rounded);
    }
}

void reading(const std::string& text, double value) {
    orOverflow([&] { return leadingNumber(text); });
    if (std::isfinite(value)) {
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.17g", value);
        FUZZ_CHECK(orOverflow([&] { return leadingNumber(printed); }) == value);
    }
}

} // namespace

// The first eight bytes are the double, the ninth the places to round to, the rest a text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 9) {
        return 0;
    }
    double value = 0;
    std::memcpy(&value, bytes, sizeof value);
    const int digits = bytes[8] % 12;
    rounding(value, digits);
    fixedPoint(value);
    conversions(value);
    reading(std::string(reinterpret_cast<const char*>(bytes) + 9, size - 9), value);
    return 0;
}
