// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Which payload characters of a reading the signal does not vouch for, whatever their
// margins: those it contradicts (a mark clearly missing, a mark clearly in a gap) and
// those where it has faded away without showing their marks.

#include "cw/model/keyedstretches.h"
#include "cw/model/levels.h"

#include <vector>

namespace orvinta::cw {

/// Per payload slot, whether the character read there is in doubt; `stretches` are the
/// frame as read, `unit` its unit in samples.
std::vector<bool> doubtfulCharacters(const CumulativeBaseband& sums, const LevelTrack& levels,
                                     const std::vector<KeyedStretch>& stretches, double unit);

} // namespace orvinta::cw
