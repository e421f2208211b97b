#include "runtime/core/Numbers.h"

#include "runtime/core/Failure.h"

#include <cctype>
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

double roundHalfEven(double value, int digits) {
    if (!std::isfinite(value) || digits < 0) {
        return value;
    }
    // Print with enough digits to see the decimal value the reader meant, then decide the
    // half on those digits rather than on the scaled binary value.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits + 6, value);
    std::string text(buffer);
    const auto point = text.find('.');
    const std::string kept = text.substr(0, point + 1 + static_cast<std::size_t>(digits));
    const std::string rest = text.substr(point + 1 + static_cast<std::size_t>(digits));
    const double scale = std::pow(10.0, digits);
    double scaled = std::round(std::strtod(kept.c_str(), nullptr) * scale);
    const bool negative = value < 0;
    const int first = rest.empty() ? 0 : rest[0] - '0';
    const bool beyondHalf = rest.find_first_not_of('0', 1) != std::string::npos;
    bool up = first > 5 || (first == 5 && beyondHalf);
    if (first == 5 && !beyondHalf) {
        up = std::fmod(std::fabs(scaled), 2.0) != 0.0;
    }
    if (up) {
        scaled += negative ? -1.0 : 1.0;
    }
    return scaled / scale;
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

Fixed4 Fixed4::fromDouble(double value) {
    const double units = roundHalfEven(value, 4) * Scale;
    if (!std::isfinite(units) || std::fabs(units) >= 9.2e18) {
        raise(desc::Overflow);
    }
    return fromUnits(static_cast<std::int64_t>(std::llround(units)));
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
