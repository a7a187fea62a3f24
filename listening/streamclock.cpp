// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamclock.h"

#include <algorithm>
#include <cmath>

namespace orvinta::listening {

StreamClock::StreamClock(int sampleRate, double keptSeconds)
    : sampleRate_(sampleRate)
    , keptSamples_(static_cast<std::size_t>(keptSeconds * sampleRate)) {
}

void StreamClock::arrived(std::size_t count, qint64 arrivedMs) {
    if (count == 0)
        return;
    const double endMs = static_cast<double>(arrivedMs);
    const double recordedMs = 1000.0 * static_cast<double>(count) / sampleRate_;
    double startMs = endMs - recordedMs;
    if (!blocks_.empty()) {
        // Blocks do not overlap in time: one that came in a burst right after another is
        // squeezed into the time since.
        startMs = std::clamp(startMs, blocks_.back().endMs, endMs);
    } else if (!forgotten_) {
        startMs_ = startMs;
    }
    fed_ += count;
    blocks_.push_back({fed_, startMs, endMs});
    while (blocks_.size() > 1 && blocks_.front().end + keptSamples_ < fed_) {
        blocks_.pop_front();
        forgotten_ = true;
    }
}

double StreamClock::msOf(double streamSeconds) const {
    if (blocks_.empty())
        return startMs_ + 1000.0 * streamSeconds;
    const double sample = streamSeconds * sampleRate_;
    // The first block whose end lies beyond the sample is the one it came in.
    const auto block =
        std::upper_bound(blocks_.begin(), blocks_.end(), sample,
                         [](double s, const Block& b) { return s < static_cast<double>(b.end); });
    if (block == blocks_.end()) {
        const Block& last = blocks_.back();
        return last.endMs + 1000.0 * (sample - static_cast<double>(last.end)) / sampleRate_;
    }
    const double begin =
        block == blocks_.begin() ? 0.0 : static_cast<double>(std::prev(block)->end);
    if (block == blocks_.begin() && forgotten_)
        return block->endMs - 1000.0 * (static_cast<double>(block->end) - sample) / sampleRate_;
    const double share = std::max(0.0, sample - begin) / (static_cast<double>(block->end) - begin);
    return block->startMs + share * (block->endMs - block->startMs);
}

double StreamClock::timelineSeconds(double streamSeconds) const {
    return (msOf(streamSeconds) - startMs_) / 1000.0;
}

} // namespace orvinta::listening
