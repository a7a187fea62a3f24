// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a telemetry line becomes the ten texts of the output window:
//
//   "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE"   (input line, Windows-1252 bytes)
//     -> parseFrame():   frame window "6O AVT ... AEE", groups "130" ... "155",
//                        error flags, raw values, block number 6, status ok
//     -> channelText():  one result text per channel, " 4.892308" ... " 8.68" or "FEHLER"
//     -> DecodedFrame:   block "6", status ok, eight result texts
//
// The frame record (VarModul) holds every intermediate step for the last computation.

#include "resulttexts.h"
#include "varmodul.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orvinta {

/// What the output window shows after decoding a frame.
struct DecodedFrame {
    /// The E-PROM block number, a single digit.
    std::string block;
    /// Whether the status letter was "O"; the window shows it as a coloured "OK" or "FALSE".
    bool statusOk = false;
    /// The result texts of channels 1 to 8.
    std::array<std::string, kChannelCount> channels;

    std::string_view statusText() const { return statusOk ? kStatusOkText : kStatusFalseText; }

    friend bool operator==(const DecodedFrame&, const DecodedFrame&) = default;
};

/// Decodes a telemetry line (Windows-1252 bytes) on the frame record. An empty line
/// only resets the record and gives no frame: the caller shows kEmptyInputMessage.
/// Only the last characters of a line matter, so a line of any length decodes in
/// constant time.
std::optional<DecodedFrame> decode(std::string_view line, VarModul& record);

} // namespace orvinta
