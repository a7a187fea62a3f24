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

/// Timed tables have a first column with the time of each frame, ISO 8601 in UTC, empty
/// for a frame whose time is unknown.
inline constexpr std::string_view kTimeColumnTitle = "Zeit (UTC)";
/// The header line of a timed table: the time column, then the columns of tableHeader().
std::string timedTableHeader();
/// Appends a timed table row: the time, then the ten texts, all joined by ";".
void appendTimedTableRow(std::string& out, std::string_view time, const DisplayTexts& texts);
/// The columns of a table as its first line shows them.
enum class TableLayout {
    Plain, ///< the ten columns of tableHeader()
    Timed, ///< the time column first, then the ten
    None,  ///< no table line: an empty file or another text
};
/// The layout of the table whose first line (without its line end) is `line`: a header
/// or a row alike, told by its number of fields.
TableLayout tableLayoutOf(std::string_view line);

/// The line that precedes the ten lines of a result text when times are asked for,
/// padded like the block line: "Zeit (UTC):         2026-12-07T14:05:00Z".
std::string timeTextLine(std::string_view time);

} // namespace orvinta
