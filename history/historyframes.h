// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Frames held in memory (the frames a listening window has heard, or lines typed in)
// become a table the same way a table file does:
//
//   time 2026-12-07T14:05:00Z + "E LUSAT HI HI 6O AVT ... AEE"
//     -> frameFromLine():   the ten texts of the output window, "6", "OK", " 4.892308" ...
//     -> tableFromFrames(): HistoryTable, frame i at line i + 1

#include "historytable.h"

#include "formats/resultformats.h"

#include <optional>
#include <span>
#include <string_view>

namespace orvinta::history {

/// A decoded frame and the time it was heard, when known.
struct HistoryFrame {
    std::optional<UtcTime> time;
    /// The ten texts as decoding gives them: block, status, channels 1 to 8.
    DisplayTexts texts;
};

/// Decodes a telemetry line (Windows-1252 bytes) as the main window does. Nothing for
/// an empty line, which gives no frame.
std::optional<HistoryFrame> frameFromLine(std::optional<UtcTime> time, std::string_view line);

/// The frames as a table: frame i is "line" i + 1, so the x axis counts frames when no
/// frame has a time. A channel text that is no value (decoding never gives one) makes
/// its frame a problem, like a malformed row of a file.
HistoryTable tableFromFrames(std::span<const HistoryFrame> frames);

} // namespace orvinta::history
