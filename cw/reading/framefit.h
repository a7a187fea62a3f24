// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A frame's timing from its reading: the characters read clearly -> where each one starts
// (sharpened to an eighth of a tick) -> start, unit and gaps by least squares -> the unit
// the marks match best a little either way, the keyer's nominal gaps kept when they match
// as well -> the keyer's weight under which the frame is likeliest.

#include "cw/model/framelayout.h"
#include "cw/model/keyedstretches.h"
#include "cw/model/levels.h"
#include "cw/model/trellis.h"

#include <vector>

namespace orvinta::cw {

/// What one run of the trellis made of a frame: each character placed on the baseband, with
/// its margin in the path. The raw material of a pass (ReadingPass in framereader.cpp);
/// nothing written yet.
struct TrellisReading {
    std::vector<PlacedCharacter> characters; ///< prefix, then the payload as read
    std::vector<Place> places;               ///< where the layout puts each of them
    PayloadPath path;
};

/// A payload character is read clearly with at least this margin: such characters pin
/// the frame's timing and tell how deep the signal fades.
inline constexpr double kClearMargin = 3.0;

/// The frame's characters where `timing` puts them.
std::vector<PlacedCharacter> laidOut(const TrellisReading& frame, const KeyingTiming& timing);

/// The timing of the whole frame as read (weight left as in `timing`); `timing` itself
/// when too few characters were read clearly. `noise` is the noise power per sample.
KeyingTiming fitFrame(const CumulativeBaseband& sums, const TrellisReading& frame,
                      const KeyingTiming& timing, double noise);

/// The keyer's weight under which `characters` keyed with `timing` are likeliest; the
/// nominal weight (0) when it is nearly as likely.
double likeliestWeight(const CumulativeBaseband& sums,
                       const std::vector<PlacedCharacter>& characters, KeyingTiming timing,
                       const LevelTrack& levels);

} // namespace orvinta::cw
