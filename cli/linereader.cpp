// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"

namespace orvinta {

namespace {

// One byte more than is kept of a line, for a CR that may still be dropped.
constexpr std::size_t kBufferedBytes = LineReader::kKeptBytes + 1;

} // namespace

void LineReader::appendToLine(std::string_view bytes) {
    if (!m_lineOpen) {
        m_tail.clear();
        m_head.clear();
        m_length = 0;
        m_lineOpen = true;
    }
    m_length += bytes.size();
    if (m_head.size() < kHeadBytes) {
        m_head.append(bytes.substr(0, kHeadBytes - m_head.size()));
    }
    if (bytes.size() >= kBufferedBytes) {
        m_tail.assign(bytes.substr(bytes.size() - kBufferedBytes));
        return;
    }
    m_tail.append(bytes);
    // Cut back only once twice the kept size is reached, so that cutting stays rare.
    if (m_tail.size() >= 2 * kBufferedBytes) {
        m_tail.erase(0, m_tail.size() - kBufferedBytes);
    }
}

std::string_view LineReader::completedLine(bool endedByLineFeed) {
    m_lineOpen = false;
    ++m_lineNumber;
    if (endedByLineFeed && !m_tail.empty() && m_tail.back() == '\r') {
        m_tail.pop_back();
        --m_length;
        if (m_head.size() > m_length) {
            m_head.resize(m_length);
        }
    }
    std::string_view line = m_tail;
    if (line.size() > kKeptBytes) {
        line.remove_prefix(line.size() - kKeptBytes);
    }
    return line;
}

} // namespace orvinta
