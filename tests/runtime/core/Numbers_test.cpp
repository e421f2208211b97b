#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

using namespace tolvar::rt;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Max = std::numeric_limits<double>::max();

// What `compute` gives, or nothing when it fails; the only failure these raise is "Overflow".
template <class Compute> std::optional<double> orOverflow(Compute&& compute) {
    try {
        return static_cast<double>(compute());
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), desc::Overflow);
        return std::nullopt;
    }
}

// Without digits the rounding sees the binary value; with digits, the digits a reader sees, and
// the answer is the double nearest the rounded decimal over the whole range.
TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::tuple<double, std::optional<int>, double> cases[] = {
        {1.5, {}, 2},       {2.5, {}, 2},           {-1.5, {}, -2},   {-2.5, {}, -2},
        {2.5000001, {}, 3}, {10.56, 1, 10.6},       {0.25, 1, 0.2},   {0.35, 1, 0.4},
        {-0.25, 1, -0.2},   {6.6 * 0.98, 4, 6.468}, {2.675, 2, 2.68}, {1e308, 0, 1e308},
        {1e308, 2, 1e308},  {1e57, 5, 1e57},        {-Max, 9, -Max},  {Max, 0, Max},
        {9.9999995, 6, 10}, {-99.5, 0, -100},       {4.9e-324, 0, 0}, {0x1p52 - 0.5, 0, 0x1p52},
        {Inf, 3, Inf},      {-Inf, 0, -Inf},
    };
    for (const auto& [value, digits, rounded] : cases) {
        EXPECT_EQ(digits ? roundHalfEven(value, *digits) : roundHalfEven(value), rounded) << value;
    }
    EXPECT_TRUE(std::isnan(roundHalfEven(NaN, 2)));
}

TEST(CheckedConversions, RoundHalfToEvenThenOverflowOutsideTheType) {
    const std::tuple<double, int, std::optional<double>> cases[] = {
        {32767.0, 16, 32767},       {32766.5, 16, 32766},
        {32767.5, 16, {}},          {-32768.5, 16, -32768},
        {-32769.0, 16, {}},         {NaN, 16, {}},
        {INT32_MAX, 32, INT32_MAX}, {INT32_MIN, 32, INT32_MIN},
        {INT32_MAX + 1.0, 32, {}},  {Inf, 32, {}},
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
        {"1abc", 1},      {" 1 2", 12},     {"-1.5e1x", -15}, {"abc", 0},
        {"", 0},          {"\t9\n6\n", 96}, {"1.5.5", 1.5},   {".5", 0.5},
        {"-", 0},         {"+2e", 2},       {"3D+2", 300},    {"25d-1", 2.5},
        {"40000", 40000}, {"&H9F", 159},    {"&o178", 15},    {"1e999", {}},
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
    EXPECT_FALSE(orOverflow([&] { return (Fixed4::fromUnits(INT64_MAX) + tenth).units(); }));
    EXPECT_FALSE(orOverflow([&] { return (Fixed4::fromUnits(INT64_MIN) - tenth).units(); }));
    // The whole 64-bit range of ten-thousandths and nothing beyond it.
    EXPECT_EQ(std::pair(f(-922337203685477.5).units(), f(922337203685477.0).units()),
              std::pair(INT64_C(-9223372036854775000), INT64_C(9223372036854770000)));
    for (const double value : {1e15, 1e30, 1e300, -Inf, NaN}) {
        EXPECT_FALSE(orOverflow([&] { return f(value).units(); })) << value;
    }
}

} // namespace
