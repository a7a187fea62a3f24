// SPDX-License-Identifier: GPL-3.0-or-later
#include "frametable.h"

#include "decoder/decoder.h"

namespace orvinta::listening {

std::vector<DisplayTexts> frameTableRows(const QStringList& lines) {
    std::vector<DisplayTexts> rows;
    for (const QString& line : lines) {
        // The decoder writes only ASCII letters, digits, blanks and "?".
        const QByteArray bytes = line.toLatin1();
        VarModul record;
        const std::optional<DecodedFrame> frame = decode(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), record);
        if (frame)
            rows.push_back(displayTexts(*frame));
    }
    return rows;
}

std::vector<history::HistoryFrame> historyFrames(std::span<const ListedFrame> frames) {
    std::vector<history::HistoryFrame> result;
    result.reserve(frames.size());
    for (const ListedFrame& frame : frames) {
        std::optional<UtcTime> time;
        if (frame.utc.isValid())
            time = UtcTime(std::chrono::milliseconds(frame.utc.toMSecsSinceEpoch()));
        if (std::optional<history::HistoryFrame> decoded =
                history::frameFromLine(time, frame.heard.text))
            result.push_back(std::move(*decoded));
    }
    return result;
}

} // namespace orvinta::listening
