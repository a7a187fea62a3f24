// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historystats.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvinta::history {

/// An end of a shown range as the operator writes it: an ISO 8601 time with its zone on
/// a time axis, a line number otherwise. Nothing, and the reason in German in `error`,
/// when the text is neither.
std::optional<double> readRangeEnd(AxisKind axis, std::string_view text, std::string* error);

/// The text of an end of a range, as readRangeEnd() reads it back.
std::string rangeEndText(AxisKind axis, double x);

} // namespace orvinta::history
