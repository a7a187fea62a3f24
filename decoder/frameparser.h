// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "varmodul.h"

#include <string_view>

namespace orvinta {

/// Length of the frame window: block digit, status letter and eight groups.
inline constexpr std::size_t kFrameWindowLength = 34;

/// Cuts a non-empty telemetry line (Windows-1252 bytes) into the frame record: the
/// upper-cased 34-character window anchored at the line's right end, the eight groups
/// with cut-number letters turned into digits, the error flags and the raw values.
/// Expects a freshly reset record. Returns whether the frame's status is ok ("O").
bool parseFrame(std::string_view line, VarModul& record);

} // namespace orvinta
