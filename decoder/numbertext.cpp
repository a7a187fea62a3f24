// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbertext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

namespace orvinta {
namespace {

constexpr int kSingleDigits = 7;
constexpr int kDoubleDigits = 15;

/// Lays out the significant digits of a scientific text "[-]d.ddde[+-]xx" in plain
/// positional form. std::to_chars rounds correctly and never looks at the locale.
std::string positional(std::string_view scientific) {
    const bool negative = scientific.front() == '-';
    if (negative) {
        scientific.remove_prefix(1);
    }
    const std::size_t e = scientific.find('e');
    int exponent = 0;
    std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+' ? 1 : 0),
                    scientific.data() + scientific.size(), exponent);

    std::array<char, 32> digits; // NOLINT: filled before it is read
    std::size_t digitCount = 0;
    for (char c : scientific.substr(0, e)) {
        if (c != '.') {
            digits[digitCount++] = c;
        }
    }
    while (digitCount > 1 && digits[digitCount - 1] == '0') {
        --digitCount;
    }
    const std::string_view significant(digits.data(), digitCount);

    // Room for the widest double: a sign, 309 integer digits or 323 zeros after the point.
    std::array<char, 400> text; // NOLINT: filled before it is read
    std::size_t length = 0;
    const auto put = [&](std::string_view part) {
        std::copy(part.begin(), part.end(), text.begin() + static_cast<std::ptrdiff_t>(length));
        length += part.size();
    };
    const auto putZeros = [&](std::size_t count) {
        std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(length), count, '0');
        length += count;
    };

    put(negative ? "-" : " ");
    if (exponent < 0) {
        put(".");
        putZeros(static_cast<std::size_t>(-exponent - 1));
        put(significant);
    } else if (const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
               digitCount <= integerDigits) {
        put(significant);
        putZeros(integerDigits - digitCount);
    } else {
        put(significant.substr(0, integerDigits));
        put(".");
        put(significant.substr(integerDigits));
    }
    return std::string(text.data(), length);
}

template <typename Float> std::string format(Float value, int significantDigits) {
    if (value == 0) {
        return " 0"; // also for a negative zero
    }
    if (!std::isfinite(value)) {
        return value > 0 ? " inf" : (value < 0 ? "-inf" : " nan"); // callers check before
    }
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::scientific, significantDigits - 1);
    if (error != std::errc{}) {
        return std::string(); // unreachable for finite values: the buffer is large enough
    }
    return positional(
        std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data())));
}

} // namespace

std::string numberText(float value) {
    return format(value, kSingleDigits);
}

std::string numberText(double value) {
    return format(value, kDoubleDigits);
}

} // namespace orvinta
