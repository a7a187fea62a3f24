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
    : blockSamples_(
          std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kBlockSeconds * rate))))
    , blocksKept_(static_cast<std::size_t>(kKeptSeconds / kBlockSeconds))
    , blocksBetweenUpdates_(static_cast<std::size_t>(kUpdateSeconds / kBlockSeconds))
    , blocks_(blocksKept_, 0.0) {
}

void NoiseFloor::push(const std::complex<float>* samples, std::size_t count) {
    for (std::size_t n = 0; n < count; ++n) {
        ++seen_;
        running_ += std::norm(samples[n]);
        if (++inBlock_ < blockSamples_) {
            continue;
        }
        blocks_[next_] = running_ / static_cast<double>(blockSamples_);
        next_ = (next_ + 1) % blocksKept_;
        filled_ = std::min(filled_ + 1, blocksKept_);
        running_ = 0.0;
        inBlock_ = 0;
        // Early on, every block counts; later, once a second.
        if (++sinceUpdate_ >= blocksBetweenUpdates_ || filled_ < blocksBetweenUpdates_) {
            update();
            sinceUpdate_ = 0;
        }
    }
}

void NoiseFloor::update() {
    std::vector<double> sorted(blocks_.begin(),
                               blocks_.begin() + static_cast<std::ptrdiff_t>(filled_));
    const auto at = static_cast<std::ptrdiff_t>(kQuantile * static_cast<double>(filled_));
    std::nth_element(sorted.begin(), sorted.begin() + at, sorted.end());
    estimates_.emplace_back(seen_,
                            std::max(sorted[static_cast<std::size_t>(at)] / kNoiseQuantile, 1e-30));
}

double NoiseFloor::powerAt(std::size_t index) const {
    // The last estimate made at or before `index`.
    const auto after = std::upper_bound(
        estimates_.begin(), estimates_.end(), index,
        [](std::size_t at, const std::pair<std::size_t, double>& e) { return at < e.first; });
    return after == estimates_.begin() ? 1.0 : std::prev(after)->second;
}

void NoiseFloor::forgetBefore(std::size_t index) {
    // Keep the estimate that holds at `index`.
    while (estimates_.size() > 1 && estimates_[1].first <= index) {
        estimates_.pop_front();
    }
}

} // namespace orvinta::cw
