// SPDX-License-Identifier: GPL-3.0-or-later
#include "coreframe.h"

#include <algorithm>

namespace orvinta::listening {
namespace {

/// A unit lasts 1.2 s divided by the speed in words per minute.
constexpr double kUnitSecondsAtOneWpm = 1.2;
/// A frame keyed by the beacon lasts about this many units: the prefix "E LUSAT HI HI"
/// takes 110, the block, status and eight groups of three about 260 more, depending on
/// the characters.
constexpr double kTypicalFrameUnits = 370.0;

} // namespace

double frameConfidence(const cw::HeardFrame& frame) {
    // The correlation of the unit energies with the frame as read: near 1 for a clean
    // frame, down to the decoder's threshold for one just found.
    return std::clamp(frame.match, 0.0, 1.0);
}

double frameEndSeconds(const cw::HeardFrame& frame) {
    if (frame.wordsPerMinute <= 0.0)
        return frame.seconds;
    return frame.seconds + kTypicalFrameUnits * kUnitSecondsAtOneWpm / frame.wordsPerMinute;
}

} // namespace orvinta::listening
