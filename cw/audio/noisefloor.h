// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The noise power of a keyed tone's baseband, followed over the last seconds: the
// quietest blocks tell it, as the carrier is off in the gaps.

#include <complex>
#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

namespace orvinta::cw {

class NoiseFloor {
public:
    /// For baseband at `rate` samples per second.
    explicit NoiseFloor(double rate);

    void push(const std::complex<float>* samples, std::size_t count);
    /// Noise power per sample as estimated from the samples before `index` (counted from
    /// the first sample pushed); 1 before any estimate. The answer does not depend on
    /// how the samples were cut into pushes.
    double powerAt(std::size_t index) const;
    /// Forgets the estimates made before `index`.
    void forgetBefore(std::size_t index);

private:
    void update();

    std::size_t m_blockSamples;
    std::size_t m_blocksKept;
    std::size_t m_blocksBetweenUpdates;
    std::vector<double> m_blocks; ///< ring of block powers
    std::size_t m_next = 0;
    std::size_t m_filled = 0;
    std::size_t m_sinceUpdate = 0;
    double m_running = 0.0;
    std::size_t m_inBlock = 0;
    std::size_t m_seen = 0; ///< samples pushed
    /// Each estimate and the sample index from which it holds.
    std::deque<std::pair<std::size_t, double>> m_estimates;
};

} // namespace orvinta::cw
