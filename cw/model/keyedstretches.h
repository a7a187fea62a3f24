// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A frame (or its prefix) as stretches of baseband, each key down or key up: the marks
// where the characters put them, the spaces between them cut into pieces about a unit
// long. The prefix check, the timing and the level estimates all look at a frame this
// way.

#include "framelayout.h"
#include "likelihood.h"

#include <vector>

namespace orvinta::cw {

struct KeyedStretch {
    double from = 0.0;
    double to = 0.0;
    bool down = false;
    int character = -1; ///< index of the character a mark belongs to, -1 for a space
    /// A space touching a mark: a mark's edge leaks into it, so it says little about the
    /// noise where the signal is strong.
    bool edge = false;
};

/// A character where its first mark starts (baseband index).
struct PlacedCharacter {
    const CharacterKeying* keying = nullptr;
    double start = 0.0;
};

/// The stretches of `characters` (in order) keyed with units `unit` samples long and the
/// keyer's `weight`, from `leadUnits` units before the first one to `trailUnits` units
/// after the last mark. A dash becomes three stretches: the carrier's phase drifts too
/// much over a whole dash, with the tone's residual offset, for one coherent sum.
std::vector<KeyedStretch> keyedStretches(const std::vector<PlacedCharacter>& characters,
                                         double unit, double weight, double leadUnits,
                                         double trailUnits);

/// How well the stretches' energies follow their key states: the Pearson correlation of
/// each stretch's energy per sample, over that of the loudest stretch near it, with the
/// key states; about 0 for noise and near 1 for a clean signal keyed as assumed. The
/// local measure keeps a fading signal's strong marks from outweighing its weak ones,
/// and shows a gap that a misplaced mark half fills. `noise` is the noise power per
/// sample. Stretches outside the sums are left out.
double keyCorrelation(const CumulativeBaseband& sums, const std::vector<KeyedStretch>& stretches,
                      double noise);

/// Whether each stretch holds energy that a gap should not: for a space touching a mark,
/// more per sample than `share` of the louder mark beside it (a mark's edge leaks into
/// the space beside it, far less than a mark keyed there); for any other stretch, true.
/// A loud edge is how another character's mark shows in a gap.
std::vector<bool> loudEnough(const CumulativeBaseband& sums,
                             const std::vector<KeyedStretch>& stretches, double share);

/// The key correlation of `characters` keyed with `timing`, a word gap before the first
/// and after the last.
double placedCorrelation(const CumulativeBaseband& sums,
                         const std::vector<PlacedCharacter>& characters, const KeyingTiming& timing,
                         double noise);

/// The prefix's characters where `timing` puts them.
std::vector<PlacedCharacter> prefixAt(const KeyingTiming& timing);

/// The key correlation of the prefix keyed with `timing`, a word gap before and after.
double prefixCorrelation(const CumulativeBaseband& sums, const KeyingTiming& timing, double noise);

} // namespace orvinta::cw
