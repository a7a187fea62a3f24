// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder.h"

#include "channelconversion.h"
#include "frameparser.h"

namespace orvinta {

std::optional<DecodedFrame> decode(std::string_view line, VarModul& record) {
    record.reset();
    if (line.empty()) {
        return std::nullopt;
    }

    DecodedFrame frame;
    frame.statusOk = parseFrame(line, record);

    for (int k = 1; k <= kChannelCount; ++k) {
        if (record.FehlerFlag(k) != 0) {
            record.Ergebnis(k) = kFehlerText;
        } else {
            // An unflagged group holds three digits, so its value is a whole number 0..999.
            record.Ergebnis(k) = channelText(k, static_cast<int>(record.Wert(k)));
        }
        frame.channels[static_cast<std::size_t>(k - 1)] = record.Ergebnis(k);
    }
    // The block number is a whole number from 0 to 9.
    frame.block = std::to_string(static_cast<int>(record.Wert(0)));
    return frame;
}

} // namespace orvinta
