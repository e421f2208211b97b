#include "runtime/core/Failure.h"
#include "runtime/core/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tolvar::rt;

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundHalfEven(2.4999999), 2.0);
}

TEST(RoundHalfEven, DecimalPlacesDecideOnTheDigitsAReaderSees) {
    EXPECT_DOUBLE_EQ(roundHalfEven(10.56, 1), 10.6);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.25, 1), 0.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.35, 1), 0.4);
    EXPECT_DOUBLE_EQ(roundHalfEven(-0.25, 1), -0.2);
    EXPECT_DOUBLE_EQ(roundHalfEven(6.6 * 0.98, 4), 6.468);
    EXPECT_DOUBLE_EQ(roundHalfEven(2.675, 2), 2.68);
}

TEST(CheckedConversions, SixteenBitLimits) {
    EXPECT_EQ(toInt16(32767.0), 32767);
    EXPECT_EQ(toInt16(32766.5), 32766);
    EXPECT_THROW(toInt16(32767.5), Failure) << "halfway rounds to the even 32768";
    EXPECT_THROW(toInt16(32768.0), Failure);
    EXPECT_EQ(toInt16(-32768.0), -32768);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_THROW(toInt16(-32769.0), Failure);
    EXPECT_THROW(toInt16(std::nan("")), Failure);
}

TEST(CheckedConversions, ThirtyTwoBitLimitsAndTheOverflowText) {
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_THROW(toInt32(2147483648.0), Failure);
    EXPECT_THROW(toInt32(std::numeric_limits<double>::infinity()), Failure);
    try {
        toInt32(1e12);
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "Overflow");
    }
}

TEST(CheckedConversions, AdditionOverflows) {
    EXPECT_EQ(addInt16(32766, 1), 32767);
    EXPECT_THROW(addInt16(32767, 1), Failure);
    EXPECT_THROW(addInt16(-32768, -1), Failure);
    EXPECT_EQ(addInt32(2147483646, 1), 2147483647);
    EXPECT_THROW(addInt32(2147483647, 1), Failure);
}

TEST(LeadingNumber, ReadsAsFarAsANumberGoes) {
    EXPECT_EQ(leadingNumber("1abc"), 1.0);
    EXPECT_EQ(leadingNumber(" 1 2"), 12.0) << "blanks inside are skipped";
    EXPECT_EQ(leadingNumber("-1.5e1x"), -15.0);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("\t96\n"), 96.0);
    EXPECT_EQ(leadingNumber("1.5.5"), 1.5);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("-"), 0.0);
    EXPECT_EQ(leadingNumber("2e"), 2.0) << "an exponent without digits is not read";
    EXPECT_EQ(leadingNumber("3D2"), 300.0);
    EXPECT_EQ(leadingNumber("40000"), 40000.0);
    EXPECT_EQ(leadingNumber("&H1F"), 31.0);
    EXPECT_EQ(leadingNumber("&o17"), 15.0);
    EXPECT_THROW(leadingNumber("1e999"), Failure);
}

TEST(Fixed4, KeepsFourDigitsAndRoundsHalvesToEven) {
    EXPECT_EQ(Fixed4::fromDouble(8.25).units(), 82500);
    EXPECT_EQ(Fixed4::fromDouble(6.468).units(), 64680);
    EXPECT_EQ(Fixed4::fromDouble(0.00005).units(), 0);
    EXPECT_EQ(Fixed4::fromDouble(0.00015).units(), 2);
    EXPECT_EQ(Fixed4::fromDouble(10.56).rounded(1), Fixed4::fromDouble(10.6));
    EXPECT_EQ(Fixed4::fromDouble(10.25).rounded(1), Fixed4::fromDouble(10.2));
    EXPECT_EQ(Fixed4::fromDouble(10.35).rounded(1), Fixed4::fromDouble(10.4));
    EXPECT_EQ(Fixed4::fromDouble(-10.25).rounded(1), Fixed4::fromDouble(-10.2));
    EXPECT_EQ(Fixed4::fromDouble(10.6).times(0.98), Fixed4::fromDouble(10.388));
}

TEST(Fixed4, StepsDownByExactTenthsAndTakesTheWholePart) {
    Fixed4 size = Fixed4::fromDouble(1.0);
    const Fixed4 tenth = Fixed4::fromUnits(1000);
    for (int i = 0; i < 10; ++i) {
        size = size - tenth;
    }
    EXPECT_EQ(size.units(), 0) << "ten tenths make exactly one";
    EXPECT_EQ(Fixed4::fromDouble(10.388).floor(), Fixed4::fromDouble(10.0));
    EXPECT_EQ(Fixed4::fromDouble(-0.5).floor(), Fixed4::fromDouble(-1.0));
    EXPECT_THROW(Fixed4::fromUnits(INT64_MAX) + tenth, Failure);
    EXPECT_THROW(Fixed4::fromDouble(1e30), Failure);
}
