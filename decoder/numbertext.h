// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvinta {

/// The text of a channel result: rounded to 7 significant digits (single precision)
/// or 15 (double precision), trailing zeros and a bare point dropped, the point as
/// decimal separator whatever the locale, no "0" before the point below 1, and a
/// leading blank for zero and positive values ("-" for negative ones).
std::string numberText(float value);
std::string numberText(double value);

} // namespace orvinta
