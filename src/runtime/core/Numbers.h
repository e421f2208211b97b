#pragma once

#include <compare>
#include <cstdint>
#include <string_view>

namespace tolvar::rt {

// Rounds to the nearest whole number; a value exactly halfway goes to the even neighbour.
double roundHalfEven(double value);

// Rounds to `digits` decimal places (0 to 9), halves to the even neighbour. The decision is
// made on the decimal digits a reader sees, so 2.5 and 0.125 are halves and 2.675 is not
// mistaken for one because of its binary form. Holds for every double: the answer is the double
// nearest the rounded decimal, and infinities and NaN come back as they are.
double roundHalfEven(double value, int digits);

// Conversions into the 16- and 32-bit variables of the program: round half to even, then
// raise "Overflow" outside the type's range (NaN and infinities included).
std::int16_t toInt16(double value);
std::int32_t toInt32(double value);

// Checked addition on the program's 16-bit variables.
std::int16_t addInt16(std::int16_t a, std::int16_t b);

// The leading number of a text: blanks, tabs and line feeds anywhere are skipped, then an
// optional sign, digits with at most one decimal point and an optional exponent (E or D) are
// read as far as they go. "&H" and "&O" read hexadecimal and octal. Nothing readable gives 0.
double leadingNumber(std::string_view text);

// A fixed-point decimal with four fraction digits, held as a 64-bit count of ten-thousandths.
// Arithmetic that leaves the range raises "Overflow".
class Fixed4 {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Fixed4() = default;
    static constexpr Fixed4 fromUnits(std::int64_t tenThousandths) {
        Fixed4 f;
        f.units_ = tenThousandths;
        return f;
    }
    // Rounds to four fraction digits, halves to even; raises "Overflow" for a value outside the
    // range, infinities and NaN included.
    static Fixed4 fromDouble(double value);

    constexpr std::int64_t units() const { return units_; }
    double toDouble() const { return static_cast<double>(units_) / Scale; }

    // The whole part, rounded down.
    Fixed4 floor() const;
    Fixed4 times(double factor) const;

    friend Fixed4 operator+(Fixed4 a, Fixed4 b);
    friend Fixed4 operator-(Fixed4 a, Fixed4 b);
    friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) = default;

private:
    std::int64_t units_ = 0;
};

} // namespace tolvar::rt
