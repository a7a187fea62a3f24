// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A keyer's timing from where characters start. The prefix's starts alone cannot tell
// a unit a few percent short with gaps a little long from the truth: there the marks
// decide, while a whole frame's starts pin the timing down by themselves.

#include "framelayout.h"

#include <array>
#include <vector>

namespace orvinta::cw {

inline constexpr std::size_t kPrefixCharacters = 10;

/// Gaps keyers use, in units from a character's nominal end to the next one's start:
/// character gaps of 1 to 1.6 times the nominal 3 and word gaps of 1 to 1.6 times the
/// nominal 7, with some room either way.
inline constexpr double kShortestCharacterGap = 2.6;
inline constexpr double kLongestCharacterGap = 5.4;
inline constexpr double kShortestWordGap = 6.3;
inline constexpr double kLongestWordGap = 12.2;
/// Weights keyers use: 40 % to 60 % of a dot and its gap, a mark 0.2 units shorter or
/// longer than nominal, with a little room.
inline constexpr double kLightestWeight = -0.22;
inline constexpr double kHeaviestWeight = 0.22;

/// The timing that puts characters at `places` closest to `starts` (least squares over
/// the start, the unit and the two gaps). `fallback` is kept where the places cannot
/// tell, and gives the weight.
KeyingTiming timingThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                           const KeyingTiming& fallback);

/// The start and the unit fitted, with the gaps of `timing`.
KeyingTiming startAndUnitThrough(const std::vector<Place>& places,
                                 const std::vector<double>& starts, const KeyingTiming& timing);

/// The start alone fitted, with the unit given and the gaps of `timing`.
KeyingTiming startThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                          const KeyingTiming& timing, double unit);

/// The same with the unit given: least squares over the start and the two gaps.
KeyingTiming timingThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                           const KeyingTiming& fallback, double unit);

/// A coordinate of a timing searched `reach` either way in steps of `step`.
template <typename Timing> struct TimingSearch {
    double Timing::*member;
    double reach;
    double step;
};

/// The timing that `measure` rates best near `timing`: each coordinate of `searches` in
/// turn, `rounds` times over, each round looking two of the last round's steps either
/// way in quarter steps. Returns the best rating.
template <typename Timing, typename Measure>
double refineTiming(const Measure& measure, std::vector<TimingSearch<Timing>> searches, int rounds,
                    Timing& timing) {
    constexpr double kStepsAround = 2.0;
    constexpr double kStepShrink = 0.25;
    double best = measure(timing);
    for (int round = 0; round < rounds; ++round) {
        for (TimingSearch<Timing>& search : searches) {
            double& value = timing.*search.member;
            const double centre = value;
            double bestValue = centre;
            for (double d = -search.reach; d <= search.reach + 1e-12; d += search.step) {
                value = centre + d;
                const double rating = measure(timing);
                if (rating > best) {
                    best = rating;
                    bestValue = value;
                }
            }
            value = bestValue;
            search.reach = kStepsAround * search.step;
            search.step *= kStepShrink;
        }
    }
    return best;
}

/// A keyer's timing held at a place in the middle of what it is refined on, so that a
/// change of the unit stretches both ways from there instead of moving everything after
/// the start: start and unit no longer trade against each other.
struct PivotedTiming {
    double middle = 0.0; ///< moment of the pivot place
    double unit = 1.0;
    double weight = 0.0;
    double characterGap = kCharacterGapUnits;
    double wordGap = kWordGapUnits;

    PivotedTiming(const KeyingTiming& timing, const Place& pivot);
    KeyingTiming keying(const Place& pivot) const;
};

/// Keeps the gaps and the weight within what keyers use.
void boundGaps(KeyingTiming& timing);

} // namespace orvinta::cw
