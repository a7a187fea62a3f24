// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

namespace orvinta {

/// A line as orvinta-decode reads it: plain (the telemetry line alone) or timed,
/// "TIME<TAB>LINE", with TIME in ISO 8601.
struct SplitLine {
    bool timed = false;
    /// The text before the first TAB of a timed line, not yet checked.
    std::string_view time;
    /// The kept end of the telemetry line: after the TAB of a timed line.
    std::string_view telemetry;
};

/// Splits a line read by LineReader, given its first bytes, its kept end and its whole
/// length. A line is timed when it begins with four digits (a year) and holds a TAB
/// among its first bytes. A telemetry line never starts so: it starts with the
/// beacon's greeting or a block number of one digit and a status letter. Every other
/// line is plain, whatever it holds, so plain lines decode exactly as they always did.
SplitLine splitTimedLine(std::string_view head, std::string_view tail, std::size_t length);

} // namespace orvinta
