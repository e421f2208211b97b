#include "runtime/core/Numbers.h"

#include "runtime/core/Failure.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace tolvar::rt {

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) {
        return floor;
    }
    if (diff > 0.5) {
        return floor + 1.0;
    }
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

namespace {

// Past this many places every double is exact, so rounding there changes nothing.
constexpr int MostFractionDigits = 1074;

// A finite, non-negative `magnitude` rounded to `digits` places, halves to even, as decimal
// text ("2.68", "3."). It is printed with six more places than kept, which shows the decimal
// value the reader meant, and the half is decided on those digits rather than on the scaled
// binary value. The text is as long as the number needs, so no magnitude is cut short.
std::string roundedDecimal(double magnitude, int digits) {
    const int shown = digits + 6;
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*f", shown, magnitude)),
                     '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*f", shown, magnitude);
    const std::size_t cut = text.find('.') + 1 + static_cast<std::size_t>(digits);
    const char first = text[cut];
    const bool beyondHalf = text.find_first_not_of('0', cut + 1) != std::string::npos;
    const char last = text[digits == 0 ? cut - 2 : cut - 1];
    const bool up = first > '5' || (first == '5' && (beyondHalf || (last - '0') % 2 != 0));
    text.resize(cut);
    if (up) {
        std::size_t at = text.size();
        while (at > 0 && (text[at - 1] == '9' || text[at - 1] == '.')) {
            --at;
            if (text[at] == '9') {
                text[at] = '0';
            }
        }
        if (at == 0) {
            text.insert(0, 1, '1');
        } else {
            ++text[at - 1];
        }
    }
    return text;
}

} // namespace

double roundHalfEven(double value, int digits) {
    if (!std::isfinite(value) || digits < 0 || digits > MostFractionDigits) {
        return value;
    }
    const double magnitude = std::strtod(roundedDecimal(std::fabs(value), digits).c_str(), nullptr);
    return std::signbit(value) ? -magnitude : magnitude;
}

namespace {
template <class Int> Int toChecked(double value) {
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max())) {
        raise(desc::Overflow);
    }
    return static_cast<Int>(r);
}

template <class Int> Int addChecked(Int a, Int b) {
    Int sum{};
    if (__builtin_add_overflow(a, b, &sum)) {
        raise(desc::Overflow);
    }
    return sum;
}
} // namespace

std::int16_t toInt16(double value) {
    return toChecked<std::int16_t>(value);
}
std::int32_t toInt32(double value) {
    return toChecked<std::int32_t>(value);
}
std::int16_t addInt16(std::int16_t a, std::int16_t b) {
    return addChecked(a, b);
}

double leadingNumber(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            s += c;
        }
    }
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        const int base = kind == 'H' ? 16 : (kind == 'O' ? 8 : 0);
        if (base != 0) {
            std::size_t i = 2;
            double result = 0;
            while (i < s.size()) {
                const int c = std::toupper(static_cast<unsigned char>(s[i]));
                int digit = -1;
                if (c >= '0' && c <= '9') {
                    digit = c - '0';
                } else if (c >= 'A' && c <= 'F') {
                    digit = c - 'A' + 10;
                }
                if (digit < 0 || digit >= base) {
                    break;
                }
                result = result * base + digit;
                ++i;
            }
            return result;
        }
    }
    std::size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        number += s[i++];
    }
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        number += s[i++];
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            number += s[i++];
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent += s[j++];
        }
        const std::size_t firstDigit = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            exponent += s[j++];
        }
        if (j > firstDigit) {
            number += exponent;
        }
    }
    const double result = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(result)) {
        raise(desc::Overflow);
    }
    return result;
}

// Counted from the rounded decimal digits themselves, so that a value near the ends of the
// range is neither scaled inexactly nor wrapped.
Fixed4 Fixed4::fromDouble(double value) {
    if (!std::isfinite(value)) {
        raise(desc::Overflow);
    }
    std::string digits = roundedDecimal(std::fabs(value), 4);
    digits.erase(digits.find('.'), 1);
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
        (std::signbit(value) ? 1 : 0);
    if (error != std::errc() || magnitude > limit) {
        raise(desc::Overflow);
    }
    return fromUnits(std::signbit(value) ? static_cast<std::int64_t>(0 - magnitude)
                                         : static_cast<std::int64_t>(magnitude));
}

Fixed4 Fixed4::floor() const {
    std::int64_t whole = units_ / Scale;
    if (units_ % Scale != 0 && units_ < 0) {
        --whole;
    }
    return fromUnits(whole * Scale);
}

Fixed4 Fixed4::times(double factor) const {
    return fromDouble(toDouble() * factor);
}

Fixed4 operator+(Fixed4 a, Fixed4 b) {
    std::int64_t sum{};
    if (__builtin_add_overflow(a.units_, b.units_, &sum)) {
        raise(desc::Overflow);
    }
    return Fixed4::fromUnits(sum);
}

Fixed4 operator-(Fixed4 a, Fixed4 b) {
    std::int64_t difference{};
    if (__builtin_sub_overflow(a.units_, b.units_, &difference)) {
        raise(desc::Overflow);
    }
    return Fixed4::fromUnits(difference);
}

} // namespace tolvar::rt
