// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a candidate of the prefix search is the prefix "E LUSAT HI HI" itself, heard
// element by element, and the keyer's timing learnt from it: candidate -> timing fitted
// to where its characters start -> timing refined on its marks and gaps (speed, weight,
// character and word gaps) -> each mark and each gap checked against the levels.

#include "cw/model/framelayout.h"
#include "cw/model/likelihood.h"
#include "prefixsearch.h"

namespace orvinta::cw {

struct HeardPrefix {
    bool heard = false;
    KeyingTiming timing;
    int disagreeing = 0; ///< marks clearly missing, gaps clearly keyed
    int agreeing = 0;    ///< marks clearly there
    int marks = 0;       ///< mark stretches in all
    /// How much the marks gain summed whole over summed in quarters: 4 for a carrier on
    /// the tone's own frequency, about 1 for noise or a station some tens of hertz away.
    double coherentGain = 0.0;
    double match = 0.0; ///< key correlation of the prefix
};

/// Checks a candidate (its starts in indices of `sums`): its timing is learnt, and the
/// prefix is heard when its marks add up as a carrier on the tone's own frequency does (not
/// as noise, nor as a station beside the tone), at most one element of it disagrees (a mark clearly
/// missing where the level shows it would be heard, a gap clearly keyed) and most of its marks are
/// clearly there. A fade may hide some marks: they neither agree nor disagree.
HeardPrefix hearPrefix(const CumulativeBaseband& sums, const PrefixCandidate& candidate);

} // namespace orvinta::cw
