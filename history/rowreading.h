// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historytable.h"

#include <string>
#include <string_view>
#include <variant>

namespace orvinta::history {

/// What a line of a table file is.
struct HeaderLine {};
struct EmptyLine {};
/// A row that cannot be read: the reason in German.
struct BadRow {
    std::string reason;
};
using LineContent = std::variant<TableRow, HeaderLine, EmptyLine, BadRow>;

/// Reads one line of a table file (Windows-1252, without its line end).
LineContent readRow(std::string_view line);

/// The value of a channel text: " 4.892308", "-.3", " 119"; NaN for "FEHLER". Nothing
/// when the text is neither a number nor FEHLER.
std::optional<double> channelValue(std::string_view text);

} // namespace orvinta::history
