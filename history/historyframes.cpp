// SPDX-License-Identifier: GPL-3.0-or-later
#include "historyframes.h"

#include "rowreading.h"

#include "decoder/decoder.h"

namespace orvinta::history {

namespace {

/// Block number and status come before the channels.
constexpr std::size_t kFirstChannelText = 2;

} // namespace

std::optional<HistoryFrame> frameFromLine(std::optional<UtcTime> time, std::string_view line) {
    VarModul record;
    const std::optional<DecodedFrame> frame = decode(line, record);
    if (!frame)
        return std::nullopt;
    return HistoryFrame{time, displayTexts(*frame)};
}

HistoryTable tableFromFrames(std::span<const HistoryFrame> frames) {
    TableAssembler assembler;
    long long number = 0;
    for (const HistoryFrame& frame : frames) {
        ++number;
        TableRow row{frame.time, {}};
        bool readable = true;
        for (std::size_t k = 0; k < kChannelCount && readable; ++k) {
            const std::optional<double> value = channelValue(frame.texts[kFirstChannelText + k]);
            readable = value.has_value();
            row.values[k] = value.value_or(0.0);
            if (!readable)
                assembler.reject(number, "Kanal " + std::to_string(k + 1) + " ist kein Wert");
        }
        if (readable)
            assembler.add(number, row);
    }
    return std::move(assembler).finish();
}

} // namespace orvinta::history
