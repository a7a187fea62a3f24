// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace orvinta {

/// Result text of a channel that cannot be converted.
inline constexpr std::string_view kFehlerText = "FEHLER";
/// Status texts of the output window.
inline constexpr std::string_view kStatusOkText = "OK";
inline constexpr std::string_view kStatusFalseText = "FALSE";
/// Message for the compute command on an empty input line.
inline constexpr std::string_view kEmptyInputMessage = "Fehler 1: Eingabe fehlt";

} // namespace orvinta
