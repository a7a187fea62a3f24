// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamclock.h"

#include <algorithm>
#include <cmath>

namespace orvinta::listening {

StreamClock::StreamClock(int sampleRate, double keptSeconds)
    : m_sampleRate(sampleRate)
    , m_keptSamples(static_cast<std::size_t>(keptSeconds * sampleRate)) {
}

void StreamClock::arrived(std::size_t count, qint64 arrivedMs) {
    if (count == 0)
        return;
    const auto endMs = static_cast<double>(arrivedMs);
    const double recordedMs = 1000.0 * static_cast<double>(count) / m_sampleRate;
    double startMs = endMs - recordedMs;
    if (!m_blocks.empty()) {
        // Blocks do not overlap in time: one that came in a burst right after another is
        // squeezed into the time since.
        startMs = std::clamp(startMs, m_blocks.back().endMs, endMs);
    } else if (!m_forgotten) {
        m_startMs = startMs;
    }
    m_fed += count;
    m_blocks.push_back({m_fed, startMs, endMs});
    while (m_blocks.size() > 1 && m_blocks.front().end + m_keptSamples < m_fed) {
        m_blocks.pop_front();
        m_forgotten = true;
    }
}

double StreamClock::msOf(double streamSeconds) const {
    if (m_blocks.empty())
        return m_startMs + 1000.0 * streamSeconds;
    const double sample = streamSeconds * m_sampleRate;
    // The first block whose end lies beyond the sample is the one it came in.
    const auto block =
        std::upper_bound(m_blocks.begin(), m_blocks.end(), sample,
                         [](double s, const Block& b) { return s < static_cast<double>(b.end); });
    if (block == m_blocks.end()) {
        const Block& last = m_blocks.back();
        return last.endMs + 1000.0 * (sample - static_cast<double>(last.end)) / m_sampleRate;
    }
    const double begin =
        block == m_blocks.begin() ? 0.0 : static_cast<double>(std::prev(block)->end);
    if (block == m_blocks.begin() && m_forgotten)
        return block->endMs - 1000.0 * (static_cast<double>(block->end) - sample) / m_sampleRate;
    const double share = std::max(0.0, sample - begin) / (static_cast<double>(block->end) - begin);
    return block->startMs + share * (block->endMs - block->startMs);
}

double StreamClock::timelineSeconds(double streamSeconds) const {
    return (msOf(streamSeconds) - m_startMs) / 1000.0;
}

} // namespace orvinta::listening
