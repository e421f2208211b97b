#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

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
    const struct {
        double value;
        std::optional<int> digits;
        double rounded;
    } cases[] = {
        {1.5, {}, 2},       {2.5, {}, 2},           {-1.5, {}, -2},   {-2.5, {}, -2},
        {2.5000001, {}, 3}, {10.56, 1, 10.6},       {0.25, 1, 0.2},   {0.35, 1, 0.4},
        {-0.25, 1, -0.2},   {6.6 * 0.98, 4, 6.468}, {2.675, 2, 2.68},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(c.digits ? roundHalfEven(c.value, *c.digits) : roundHalfEven(c.value),
                         c.rounded)
            << c.value;
    }
}

TEST(CheckedConversions, RoundHalfToEvenThenOverflowOutsideTheType) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    using Cases = std::pair<double, std::optional<double>>[];
    for (const auto& [value, rounded] : Cases{{32767.0, 32767},
                                              {32766.5, 32766},
                                              {32767.5, {}},
                                              {-32768.5, -32768},
                                              {-32769.0, {}},
                                              {nan, {}}}) {
        EXPECT_EQ(orOverflow([&] { return toInt16(value); }), rounded) << value;
    }
    for (const auto& [value, rounded] : Cases{{2147483647.0, 2147483647.0},
                                              {-2147483648.0, -2147483648.0},
                                              {2147483648.0, {}},
                                              {infinity, {}}}) {
        EXPECT_EQ(orOverflow([&] { return toInt32(value); }), rounded) << value;
    }
    EXPECT_EQ(orOverflow([] { return addInt16(32766, 1); }), 32767);
    EXPECT_EQ(orOverflow([] { return addInt16(32767, 1); }), std::nullopt);
    EXPECT_EQ(orOverflow([] { return addInt16(-32768, -1); }), std::nullopt);
}

TEST(LeadingNumber, ReadsAsFarAsANumberGoes) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"1abc", 1},    {" 1 2", 12},     {"-1.5e1x", -15}, {"abc", 0},   {"", 0},
        {"\t96\n", 96}, {"1.5.5", 1.5},   {".5", 0.5},      {"-", 0},     {"2e", 2},
        {"3D2", 300},   {"40000", 40000}, {"&H1F", 31},     {"&o17", 15}, {"1e999", {}},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(orOverflow([&] { return leadingNumber(text); }), number) << text;
    }
}

TEST(Fixed4, KeepsFourDigitsRoundsHalvesToEvenAndOverflows) {
    const auto f = [](double value) { return Fixed4::fromDouble(value); };
    const std::pair<Fixed4, std::int64_t> cases[] = {
        {f(0.00005), 0},
        {f(0.00015), 2},
        {f(10.6).times(0.98), 103880},
        {f(10.388).floor(), 100000},
        {f(-0.5).floor(), -10000},
    };
    for (const auto& [value, units] : cases) {
        EXPECT_EQ(value.units(), units);
    }
    const Fixed4 tenth = Fixed4::fromUnits(1000);
    EXPECT_EQ(orOverflow([&] { return (Fixed4::fromUnits(INT64_MAX) + tenth).units(); }),
              std::nullopt);
    EXPECT_EQ(orOverflow([&] { return (Fixed4::fromUnits(INT64_MIN) - tenth).units(); }),
              std::nullopt);
    EXPECT_EQ(orOverflow([&] { return f(1e30).units(); }), std::nullopt);
}

} // namespace
