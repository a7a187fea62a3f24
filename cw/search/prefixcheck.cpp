// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefixcheck.h"

#include "cw/model/keyedstretches.h"
#include "cw/model/levels.h"
#include "cw/model/timingfit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace orvinta::cw {
namespace {

/// An element disagrees with the prefix when its log-likelihood ratio says "not as the
/// prefix has it" by this much: a mark missing, or a gap keyed (another character).
/// Noise alone does that to one gap in some thousands at the weakest signals read.
constexpr double kDisagreement = 6.0;
/// One element may disagree: noise does that now and then to a weak prefix, while text
/// that is not the prefix disagrees in many. Two where the prefix's own marks fade: a
/// fade as fast as the units leaves a mark too weak now and then.
constexpr int kMostDisagreeing = 1;
constexpr int kMostDisagreeingFading = 2;
/// A space beside a mark disagrees only when it holds a good share of that mark's energy:
/// a strong mark's edge leaks into it, a keyed mark fills it.
constexpr double kEdgeShare = 0.25;
/// The timing learnt on the prefix is never exact: an element is judged where it agrees
/// best within an eighth of a unit.
constexpr double kTimingLeeway = 0.125;
/// A mark agrees when its log-likelihood ratio says "there" by this much; at least this
/// share of the prefix's marks must: at the weakest signals read most do, and a fade can
/// hide a few.
constexpr double kAgreement = 2.0;
constexpr double kFewestAgreeing = 0.6;
/// And the prefix as a whole must follow its key states (key correlation) this well: the
/// beacon's prefix does at the weakest signals read, noise and other text fall short even
/// when most of their marks agree (orvinta-cw-bench's runs with noise, another station and
/// no beacon show both).
constexpr double kLeastMatch = 0.65;
/// Pieces a mark is cut into to see whether its energy adds up coherently, and how much
/// it must gain summed whole over summed in pieces: a carrier on the tone's own frequency gains
/// four times (a little less where the tone is a few hertz off), noise and a station
/// some tens of hertz away, whose energy the tone's filter lets through in part, about
/// once.
constexpr int kQuarters = 4;
constexpr double kLeastCoherentGain = 2.0;
/// The unit is fitted within this fraction of the lane's, tried in these steps.
constexpr double kUnitLeeway = 0.06;
constexpr double kUnitFitStep = 0.005;
/// The timing refined on the prefix alone: start (units), unit (fraction), gaps and
/// weight (units), three rounds each finer than the last.
constexpr double kStartReach = 0.5;
constexpr double kStartStep = 1.0 / 16.0;
constexpr double kUnitReach = 0.03;
constexpr double kUnitStep = 0.0025;
constexpr double kCharacterGapReach = 0.5;
constexpr double kWordGapReach = 1.0;
constexpr double kWeightReach = 0.2;
constexpr double kGapStep = 0.1;
constexpr int kRounds = 3;
/// The prefix's middle character ("T"), around which its timing is refined.
constexpr std::size_t kPivotCharacter = 5;
/// The noise of a stretch's energy: the median of exponential energies is ln 2 times
/// their mean. The median keeps marks that are not the prefix's from inflating it.
constexpr double kMedianOverMean = 0.6931471805599453;

/// The keyer's timing from where the search found the characters to start. The starts
/// alone cannot tell a shorter unit with longer gaps from the truth: for each unit
/// around the lane's, the gaps are fitted, and the marks decide between the units.
KeyingTiming fitTiming(const CumulativeBaseband& sums, const PrefixCandidate& candidate) {
    const std::vector<Place>& places = FrameLayout::instance().prefixPlaces();
    const std::vector<double> starts(candidate.starts.begin(), candidate.starts.end());
    KeyingTiming best;
    best.start = starts.front();
    best.unit = candidate.unit;
    double bestMatch = -1.0;
    for (double f = -kUnitLeeway; f <= kUnitLeeway + 1e-9; f += kUnitFitStep) {
        const KeyingTiming timing =
            timingThrough(places, starts, KeyingTiming{}, candidate.unit * (1.0 + f));
        const double match = prefixCorrelation(sums, timing, candidate.noise);
        if (match > bestMatch) {
            bestMatch = match;
            best = timing;
        }
    }
    return best;
}

/// The timing that makes the prefix follow its key states best, held at the prefix's
/// middle ("T"). Returns the key correlation reached.
double refine(const CumulativeBaseband& sums, double noise, KeyingTiming& timing) {
    const Place pivot = FrameLayout::instance().prefixPlaces()[kPivotCharacter];
    PivotedTiming pivoted(timing, pivot);
    const double u = timing.unit;
    const double match = refineTiming<PivotedTiming>(
        [&](const PivotedTiming& t) { return prefixCorrelation(sums, t.keying(pivot), noise); },
        {{&PivotedTiming::middle, kStartReach * u, kStartStep * u},
         {&PivotedTiming::unit, kUnitReach * u, kUnitStep * u},
         {&PivotedTiming::characterGap, kCharacterGapReach, kGapStep},
         {&PivotedTiming::wordGap, kWordGapReach, kGapStep},
         {&PivotedTiming::weight, kWeightReach, kGapStep / 2.0}},
        kRounds, pivoted);
    timing = pivoted.keying(pivot);
    boundGaps(timing);
    return match;
}

/// Levels from the prefix's own marks, the noise from the median of its spaces.
LevelTrack prefixLevels(const CumulativeBaseband& sums, const KeyingTiming& timing,
                        const std::vector<KeyedStretch>& stretches) {
    std::vector<double> noise;
    for (const KeyedStretch& s : stretches) {
        if (!s.down && !s.edge) {
            noise.push_back(stretchEnergy(sums, s.from, s.to) / (s.to - s.from));
        }
    }
    LevelTrack levels(stretches.front().from, stretches.back().to, timing.unit / 2.0);
    levels.leaveOwnMarksOut(true);
    if (noise.empty()) {
        return levels;
    }
    std::nth_element(noise.begin(), noise.begin() + static_cast<std::ptrdiff_t>(noise.size() / 2),
                     noise.end());
    const double median = noise[noise.size() / 2] / kMedianOverMean;
    for (const KeyedStretch& s : stretches) {
        if (s.down) {
            levels.addMark(s.from, s.to, stretchEnergy(sums, s.from, s.to));
        } else {
            // Spaces enter at the robust level, so a stray mark cannot raise the noise.
            levels.addSpace(s.from, s.to, median * (s.to - s.from));
        }
    }
    levels.follow(timing.unit);
    return levels;
}

/// The energy the marks gain summed coherently over a whole mark, over what they gain
/// summed in quarters (the noise's share taken out of both).
double coherentGain(const CumulativeBaseband& sums, const std::vector<KeyedStretch>& stretches,
                    double noise) {
    double whole = 0.0;
    double quarters = 0.0;
    for (const KeyedStretch& s : stretches) {
        if (!s.down) {
            continue;
        }
        const double length = s.to - s.from;
        whole += stretchEnergy(sums, s.from, s.to) - noise * length;
        for (int q = 0; q < kQuarters; ++q) {
            const double from = s.from + q * length / kQuarters;
            quarters +=
                stretchEnergy(sums, from, from + length / kQuarters) - noise * length / kQuarters;
        }
    }
    return quarters > 0.0 ? whole / quarters : 0.0;
}

} // namespace

HeardPrefix hearPrefix(const CumulativeBaseband& sums, const PrefixCandidate& candidate) {
    HeardPrefix prefix;
    KeyingTiming timing = fitTiming(sums, candidate);
    prefix.match = refine(sums, candidate.noise, timing);
    prefix.timing = timing;
    // The gaps around the prefix a unit short: the timing may still be off that much.
    const std::vector<KeyedStretch> stretches = keyedStretches(
        prefixAt(timing), timing.unit, timing.weight, timing.wordGap - 1.0, timing.wordGap - 1.0);
    if (!stretchHeld(sums, stretches.front().from, stretches.back().to)) {
        return prefix;
    }
    const LevelTrack levels = prefixLevels(sums, timing, stretches);
    prefix.coherentGain = coherentGain(sums, stretches, levels.meanNoise());
    const std::vector<bool> loud = loudEnough(sums, stretches, kEdgeShare);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const KeyedStretch& s = stretches[i];
        const double a = agreement(sums, levels, s.from, s.to, s.down, kTimingLeeway * timing.unit);
        prefix.disagreeing += a < -kDisagreement && loud[i] ? 1 : 0;
        prefix.marks += s.down ? 1 : 0;
        prefix.agreeing += s.down && a > kAgreement ? 1 : 0;
    }
    prefix.heard =
        prefix.coherentGain >= kLeastCoherentGain &&
        prefix.disagreeing <= (levels.fading() ? kMostDisagreeingFading : kMostDisagreeing) &&
        prefix.agreeing >= kFewestAgreeing * static_cast<double>(prefix.marks) &&
        prefix.match >= kLeastMatch;
    return prefix;
}

} // namespace orvinta::cw
