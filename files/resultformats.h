// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The file formats built from the ten texts of the output window. All texts here are
// Windows-1252 bytes without line ends; whoever writes them adds CR LF (files) or LF
// (standard output).

#include "decoder/decoder.h"

#include <array>
#include <string>
#include <string_view>

namespace orvinta {

inline constexpr std::size_t kDisplayTextCount = 10;

/// The ten texts of the output window in table order: block (lblO1), status
/// (lblStatus), then channels 1 to 8 (lblO2 to lblO9).
using DisplayTexts = std::array<std::string, kDisplayTextCount>;

DisplayTexts displayTexts(const DecodedFrame& frame);

/// The ten lines of the result text file: fixed-width prefix, text, unit.
std::array<std::string, kDisplayTextCount> resultTextLines(const DisplayTexts& texts);

/// The header line that starts a new table.
std::string_view tableHeader();

/// One table row: the ten texts joined by ";".
std::string tableRow(const DisplayTexts& texts);
/// Appends a table row to `out`, for callers that build large outputs.
void appendTableRow(std::string& out, const DisplayTexts& texts);

} // namespace orvinta
