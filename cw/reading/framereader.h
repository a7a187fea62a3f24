// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading one frame whose prefix was heard: levels -> each slot's evidence (matched
// filters and likelihood ratios) -> trellis -> timing refined on the whole frame ->
// levels followed along the reading -> trellis again -> the characters the signal
// vouches for, "?" for the rest.

#include "cw/model/framelayout.h"
#include "cw/model/likelihood.h"

#include <string>
#include <vector>

namespace orvinta::cw {

struct ReadSettings {
    /// Likelihood margin (natural log) below which a character is given as "?".
    double minimumMargin = 1.0;
    /// A first reading whose key correlation is below this is not read further.
    double giveUpBelow = 0.0;
    /// A next frame's prefix was heard after the frame: the signal came back, and an
    /// unread end of the frame was a fade rather than the signal gone.
    bool nextFrameHeard = false;
};

/// What the reader gives out for a frame: the line as written ("?" where the signal does
/// not vouch for a character), its confidence and where it lies on the baseband; made from
/// the last of the passes of the trellis over it.
struct FrameReadout {
    std::string text; ///< telemetry line, "?" for unreadable characters; empty if unread
    std::size_t unreadable = 0;
    KeyingTiming timing;    ///< as refined on the whole frame
    double endSample = 0.0; ///< baseband index just after the last mark
    /// Baseband index the audio must reach before every character is told from the longer
    /// ones that begin as it does.
    double toldAt = 0.0;
    double snrDb = 0.0;          ///< mean over the marks, in 3 kHz
    double match = 0.0;          ///< key correlation of the frame as read
    double confidence = 0.0;     ///< probability that no printed character is wrong
    std::vector<double> margins; ///< of each payload character
    /// The line with the reading's character in every place, none given as "?": what a
    /// reader that never gave up would write.
    std::string guess;
    std::vector<double> starts; ///< baseband index where each payload character starts
};

/// The probability that a character read by `margin` (natural log) over its best
/// alternative is right: a likelihood ratio of e^(margin / 1.25) against that
/// alternative. The likelihoods rest on a model of the signal that is never exact (levels
/// followed through fades, a timing estimated, the channel's noise taken as white), which
/// makes the margins somewhat too sure of themselves; orvinta-cw-bench's calibration table
/// shows how the frames' confidences hold against what came out right.
double chanceRight(double margin);

/// Reads the frame whose prefix was heard with `timing`, whose last mark ends at the
/// latest at baseband index `limit` (where the next frame's leading gap begins, or where
/// the baseband ends). `rate` is the baseband's sample rate.
FrameReadout readFrame(const CumulativeBaseband& sums, double rate, const KeyingTiming& timing,
                       double limit, const ReadSettings& settings);

/// The first reading alone, on levels from the signal and the prefix's timing: where the
/// trellis places the payload's characters, each one's margin, and the last mark's end;
/// no character is given as "?".
/// A few times cheaper than readFrame(), for telling whether a frame is complete yet.
FrameReadout placeFrame(const CumulativeBaseband& sums, const KeyingTiming& timing, double limit);

} // namespace orvinta::cw
