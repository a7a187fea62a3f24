// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace orvinta {

/// Splits a byte stream into telemetry lines. A line ends at LF, a CR just before the
/// LF is dropped, and a last line without LF counts. Decoding looks only at the end of
/// a line, and a time only at its start, so each line keeps just its first and its last
/// bytes: memory stays constant however long a line is.
class LineReader {
public:
    /// How many bytes of each line's end are kept; well above what decoding reads.
    static constexpr std::size_t kKeptBytes = 256;
    /// How many bytes of each line's start are kept: room for the longest ISO 8601 time
    /// ("2026-12-07T14:05:00.123456789+02:00" has 35) and the TAB after it.
    static constexpr std::size_t kHeadBytes = 64;

    /// Feeds the next bytes; calls onLine(tail, lineNumber) for every complete line.
    template <typename OnLine> void feed(std::string_view bytes, OnLine&& onLine);

    /// Ends the stream: a last line without LF is passed on here.
    template <typename OnLine> void finish(OnLine&& onLine);

    /// While onLine runs: the first bytes of the line (at most kHeadBytes) and its whole
    /// length, both without the CR dropped before the LF.
    std::string_view head() const { return m_head; }
    std::size_t length() const { return m_length; }

private:
    void appendToLine(std::string_view bytes);
    std::string_view completedLine(bool endedByLineFeed);

    std::string m_tail;
    std::string m_head;
    std::size_t m_length = 0;
    bool m_lineOpen = false;
    long long m_lineNumber = 0;
};

template <typename OnLine> void LineReader::feed(std::string_view bytes, OnLine&& onLine) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            appendToLine(bytes);
            return;
        }
        appendToLine(bytes.substr(0, end));
        const std::string_view line = completedLine(true);
        onLine(line, m_lineNumber);
        bytes.remove_prefix(end + 1);
    }
}

template <typename OnLine> void LineReader::finish(OnLine&& onLine) {
    if (m_lineOpen) {
        const std::string_view line = completedLine(false);
        onLine(line, m_lineNumber);
    }
}

} // namespace orvinta
