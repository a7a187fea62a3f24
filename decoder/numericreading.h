// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orvinta {

/// An ASCII digit, whatever the locale.
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Reads a number from the start of `text` the way the telemetry groups are read:
/// blanks, tabs and line feeds are dropped wherever they stand, then the longest
/// leading part that forms a number is taken: an optional sign, digits, an optional
/// decimal point with digits and an optional exponent ("E" or "D"), or a hexadecimal
/// ("&H") or octal ("&O") number. Text without such a part reads as 0.
/// The point is the decimal separator whatever the locale.
double numericReading(std::string_view text);

} // namespace orvinta
