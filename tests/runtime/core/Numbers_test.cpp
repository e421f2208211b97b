#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

using namespace tolvar::rt;

namespace {

// What `compute` gives, or nothing when it fails; the only failure these raise is "Overflow".
template <class Compute> std::optional<double> orOverflow(Compute&& compute) {
    try {
        return static_cast<double>(compute());
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), desc::Overflow);
        return std::nullopt;
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbourDecidedOnTheDigitsAReaderSees) {
    // No digits given: the whole-number rounding, which sees the binary value.
    const std::tuple<double, std::optional<int>, double> cases[] = {
        {1.5, {}, 2},       {2.5, {}, 2},           {-1.5, {}, -2},   {-2.5, {}, -2},
        {2.5000001, {}, 3}, {10.56, 1, 10.6},       {0.25, 1, 0.2},   {0.35, 1, 0.4},
        {-0.25, 1, -0.2},   {6.6 * 0.98, 4, 6.468}, {2.675, 2, 2.68},
    };
    for (const auto& [value, digits, rounded] : cases) {
        EXPECT_DOUBLE_EQ(digits ? roundHalfEven(value, *digits) : roundHalfEven(value), rounded)
            << value;
    }
}

TEST(CheckedConversions, RoundHalfToEvenThenOverflowOutsideTheType) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<double, int, std::optional<double>> cases[] = {
        {32767.0, 16, 32767},       {32766.5, 16, 32766},       {32767.5, 16, {}},
        {-32768.5, 16, -32768},     {-32769.0, 16, {}},         {nan, 16, {}},
        {INT32_MAX, 32, INT32_MAX}, {INT32_MIN, 32, INT32_MIN}, {INT32_MAX + 1.0, 32, {}},
        {infinity, 32, {}},
    };
    for (const auto& [value, bits, rounded] : cases) {
        EXPECT_EQ(orOverflow([&] { return bits == 32 ? toInt32(value) : toInt16(value); }), rounded)
            << value;
    }
    EXPECT_EQ(orOverflow([] { return addInt16(32766, 1); }), 32767);
    EXPECT_EQ(orOverflow([] { return addInt16(32767, 1); }), std::nullopt);
}

TEST(LeadingNumber, ReadsAsFarAsANumberGoes) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"1abc", 1},      {" 1 2", 12},     {"-1.5e1x", -15}, {"abc", 0},    {"", 0},
        {"\t9\n6\n", 96}, {"1.5.5", 1.5},   {".5", 0.5},      {"-", 0},      {"+2e", 2},
        {"3D2", 300},     {"40000", 40000}, {"&H1F", 31},     {"&o178", 15}, {"1e999", {}},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(orOverflow([&] { return leadingNumber(text); }), number) << text;
    }
}

TEST(Fixed4, KeepsFourDigitsRoundsHalvesToEvenAndOverflows) {
    const auto f = [](double value) { return Fixed4::fromDouble(value); };
    EXPECT_EQ((std::vector{f(0.00005).units(), f(0.00015).units(), f(10.6).times(0.98).units(),
                           f(10.388).floor().units(), f(-0.5).floor().units()}),
              (std::vector<std::int64_t>{0, 2, 103880, 100000, -10000}));
    const Fixed4 tenth = Fixed4::fromUnits(1000);
    const Fixed4 largest = Fixed4::fromUnits(INT64_MAX);
    const Fixed4 smallest = Fixed4::fromUnits(INT64_MIN);
    EXPECT_FALSE(orOverflow([&] { return (largest + tenth).units(); }));
    EXPECT_FALSE(orOverflow([&] { return (smallest - tenth).units(); }));
    EXPECT_FALSE(orOverflow([&] { return f(1e30).units(); }));
}

} // namespace
