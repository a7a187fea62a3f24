// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The payload's most likely reading: a max-product trellis (Viterbi) over the 26 slots,
// on a grid a quarter unit fine. Each character is scored by the log-likelihood ratios
// of its marks where it would put them; the gap after it may be a quarter unit or two
// off the keyer's, so that a timing a little off does not add up along the frame. A
// forward and a backward pass give every character's margin over its best alternative.

#include "framelayout.h"

#include <string>
#include <vector>

namespace orvinta::cw {

/// The trellis works in ticks of a quarter unit.
inline constexpr int kTicksPerUnit = 4;
/// A tick's length in samples for units of `unit` samples.
inline double tickSamples(double unit) {
    return unit / kTicksPerUnit;
}

/// The evidence along a frame's payload, tick by tick from where the payload may start
/// at the earliest: the log-likelihood ratio (mark against space) of a dot and of a dash
/// starting at each tick.
struct PayloadEvidence {
    std::vector<double> dot;
    std::vector<double> dash;
};

/// Where the payload may start and how long its gaps are, in ticks.
struct PayloadShape {
    int firstFrom = 0; ///< the first slot starts within [firstFrom, firstTo]
    int firstTo = 0;
    /// Per slot, the gap after its character: from its nominal end to the next one's
    /// start. Each slot's own rounding of the keyer's gaps, so that the rounding does not
    /// add up along the frame.
    std::vector<int> gapAfter = std::vector<int>(kPayloadSlots, 12);
    int slack = 1;   ///< either way of each gap
    int lastEnd = 0; ///< every character ends by this tick (its nominal end)
    std::size_t slots = kPayloadSlots;
    /// Per tick, the score of what the audio holds after a frame whose last character
    /// ends (nominally) there: what the keying after the frame explains, such as the next
    /// frame's start. Empty: nothing after the frame counts.
    std::vector<double> afterFrame;
};

/// The most likely payload, or its first slots.
struct PayloadPath {
    std::string characters;
    std::vector<int> starts;     ///< tick where each character starts
    std::vector<double> margins; ///< over the best reading with another character there
    bool complete = false;       ///< false when no reading fits
};

PayloadPath bestPayload(const PayloadEvidence& evidence, const PayloadShape& shape);

} // namespace orvinta::cw
