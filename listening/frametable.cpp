// SPDX-License-Identifier: GPL-3.0-or-later
#include "frametable.h"

#include "decoder/decoder.h"

namespace orvinta::listening {

namespace {

std::optional<UtcTime> utcTime(const ListedFrame& frame) {
    if (!frame.utc.isValid())
        return std::nullopt;
    return UtcTime(std::chrono::milliseconds(frame.utc.toMSecsSinceEpoch()));
}

} // namespace

std::vector<TableExportRow> frameTableRows(std::span<const ListedFrame> frames) {
    std::vector<TableExportRow> rows;
    for (const ListedFrame& frame : frames) {
        VarModul record;
        const std::optional<DecodedFrame> decoded = decode(frame.heard.text, record);
        if (!decoded)
            continue;
        const std::optional<UtcTime> time = utcTime(frame);
        rows.push_back({time ? formatIsoTime(*time) : std::string(), displayTexts(*decoded)});
    }
    return rows;
}

std::vector<history::HistoryFrame> historyFrames(std::span<const ListedFrame> frames) {
    std::vector<history::HistoryFrame> result;
    result.reserve(frames.size());
    for (const ListedFrame& frame : frames) {
        if (std::optional<history::HistoryFrame> decoded =
                history::frameFromLine(utcTime(frame), frame.heard.text))
            result.push_back(std::move(*decoded));
    }
    return result;
}

} // namespace orvinta::listening
