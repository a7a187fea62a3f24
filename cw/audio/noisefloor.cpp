// SPDX-License-Identifier: GPL-3.0-or-later
#include "noisefloor.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace orvinta::cw {
namespace {

/// Blocks of 20 ms, kept for 10 s: long enough to hold many gaps at the slowest speed.
constexpr double kBlockSeconds = 0.02;
constexpr double kKeptSeconds = 10.0;
constexpr double kUpdateSeconds = 1.0;
/// The 30th percentile of the blocks' powers: below the share of gaps even in a frame.
constexpr double kQuantile = 0.3;
/// The same percentile of noise alone, over its mean, for blocks of 8 complex samples
/// (a gamma distribution of shape 8).
constexpr double kNoiseQuantile = 0.7885;

} // namespace

NoiseFloor::NoiseFloor(double rate)
    : m_blockSamples(
          std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kBlockSeconds * rate))))
    , m_blocksKept(static_cast<std::size_t>(kKeptSeconds / kBlockSeconds))
    , m_blocksBetweenUpdates(static_cast<std::size_t>(kUpdateSeconds / kBlockSeconds))
    , m_blocks(m_blocksKept, 0.0) {
}

void NoiseFloor::push(const std::complex<float>* samples, std::size_t count) {
    for (std::size_t n = 0; n < count; ++n) {
        ++m_seen;
        m_running += std::norm(samples[n]);
        if (++m_inBlock < m_blockSamples) {
            continue;
        }
        m_blocks[m_next] = m_running / static_cast<double>(m_blockSamples);
        m_next = (m_next + 1) % m_blocksKept;
        m_filled = std::min(m_filled + 1, m_blocksKept);
        m_running = 0.0;
        m_inBlock = 0;
        // Early on, every block counts; later, once a second.
        if (++m_sinceUpdate >= m_blocksBetweenUpdates || m_filled < m_blocksBetweenUpdates) {
            update();
            m_sinceUpdate = 0;
        }
    }
}

void NoiseFloor::update() {
    std::vector<double> sorted(m_blocks.begin(),
                               m_blocks.begin() + static_cast<std::ptrdiff_t>(m_filled));
    const auto at = static_cast<std::ptrdiff_t>(kQuantile * static_cast<double>(m_filled));
    std::nth_element(sorted.begin(), sorted.begin() + at, sorted.end());
    m_estimates.emplace_back(
        m_seen, std::max(sorted[static_cast<std::size_t>(at)] / kNoiseQuantile, 1e-30));
}

double NoiseFloor::powerAt(std::size_t index) const {
    // The last estimate made at or before `index`.
    const auto after = std::upper_bound(
        m_estimates.begin(), m_estimates.end(), index,
        [](std::size_t at, const std::pair<std::size_t, double>& e) { return at < e.first; });
    return after == m_estimates.begin() ? 1.0 : std::prev(after)->second;
}

void NoiseFloor::forgetBefore(std::size_t index) {
    // Keep the estimate that holds at `index`.
    while (m_estimates.size() > 1 && m_estimates[1].first <= index) {
        m_estimates.pop_front();
    }
}

} // namespace orvinta::cw
