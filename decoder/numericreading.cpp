// SPDX-License-Identifier: GPL-3.0-or-later
#include "numericreading.h"

#include <charconv>
#include <cmath>
#include <string>

namespace orvinta {
namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int digitValue(char c, int radix) {
    int value = -1;
    if (isDigit(c)) {
        value = c - '0';
    } else if (upper(c) >= 'A' && upper(c) <= 'F') {
        value = upper(c) - 'A' + 10;
    }
    return value < radix ? value : -1;
}

std::string withoutBlanks(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact.push_back(c);
        }
    }
    return compact;
}

double readRadix(std::string_view digits, int radix) {
    double value = 0.0;
    for (char c : digits) {
        const int d = digitValue(c, radix);
        if (d < 0) {
            break;
        }
        value = value * radix + d;
    }
    return value;
}

double readDecimal(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    // The mantissa is copied into a plain form that std::from_chars reads locale-free.
    std::string number;
    bool anyDigit = false;
    while (i < s.size() && isDigit(s[i])) {
        number.push_back(s[i++]);
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && isDigit(s[i])) {
            number.push_back(s[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (i < s.size() && (upper(s[i]) == 'E' || upper(s[i]) == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent.push_back(s[j++]);
        }
        bool anyExponentDigit = false;
        while (j < s.size() && isDigit(s[j])) {
            exponent.push_back(s[j++]);
            anyExponentDigit = true;
        }
        if (anyExponentDigit) {
            number += exponent;
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: the magnitude tells which.
        value = number.find("e-") != std::string::npos ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

} // namespace

double numericReading(std::string_view text) {
    const std::string s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        switch (upper(s[1])) {
        case 'H':
            return readRadix(std::string_view(s).substr(2), 16);
        case 'O':
            return readRadix(std::string_view(s).substr(2), 8);
        default:
            return 0.0;
        }
    }
    return readDecimal(s);
}

} // namespace orvinta
