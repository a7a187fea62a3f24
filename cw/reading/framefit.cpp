// SPDX-License-Identifier: GPL-3.0-or-later
#include "framefit.h"

#include "cw/model/timingfit.h"

#include <array>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// The frame's timing is fitted to the payload's characters read clearly, if there are
/// this many.
constexpr std::size_t kFewestFitted = 4;
/// Each of those characters is placed to an eighth of a tick: four steps either way.
constexpr int kSharpenSteps = 4;
/// Units tried around the fitted one, as fractions of it: five steps either way, first
/// coarse, then fine around the better.
constexpr std::array<double, 2> kUnitSteps{0.001, 0.0002};
constexpr int kUnitStepsAround = 5;
/// Gaps within this share of the nominal are tried as nominal, and kept so when the frame
/// matches within this much of the fitted gaps' match.
constexpr double kNominalReach = 0.05;
constexpr double kNominalTolerance = 0.002;
/// Weights tried, in units, from kLightestWeight to kHeaviestWeight.
constexpr double kWeightStep = 0.05;
/// A weight within this much of the nominal (units; 0.12 is 44-56 %) is taken as nominal
/// when the frame is within this log-likelihood of the likeliest weight.
constexpr double kNominalWeightReach = 0.12;
constexpr double kNominalWeightTolerance = 2.0;

/// Where a character's marks hold the most energy, within half a tick of where the
/// trellis put it: the trellis's grid is a quarter unit coarse.
double sharpenedStart(const CumulativeBaseband& sums, const PlacedCharacter& c,
                      const KeyingTiming& timing) {
    const double tick = tickSamples(timing.unit);
    double best = -1.0;
    double bestStart = c.start;
    for (int i = -kSharpenSteps; i <= kSharpenSteps; ++i) {
        PlacedCharacter moved = c;
        moved.start = c.start + 0.5 * tick * i / kSharpenSteps;
        double energy = 0.0;
        for (const KeyedStretch& s :
             keyedStretches({moved}, timing.unit, timing.weight, 0.0, 0.0)) {
            energy += s.down ? stretchEnergy(sums, s.from, s.to) : 0.0;
        }
        if (energy > best) {
            best = energy;
            bestStart = moved.start;
        }
    }
    return bestStart;
}

/// The characters that pin the frame's timing: the prefix, and the payload's characters
/// read clearly and inside the data; where each starts and where the layout has it.
void measuredStarts(const CumulativeBaseband& sums, const TrellisReading& frame,
                    const KeyingTiming& timing, std::vector<Place>& places,
                    std::vector<double>& starts) {
    for (std::size_t i = 0; i < frame.characters.size(); ++i) {
        const PlacedCharacter& c = frame.characters[i];
        const bool payload = i >= kPrefixCharacters;
        if (payload && (frame.path.margins[i - kPrefixCharacters] < kClearMargin ||
                        !stretchHeld(sums, c.start, c.start + c.keying->length * timing.unit))) {
            continue;
        }
        starts.push_back(payload ? sharpenedStart(sums, c, timing) : c.start);
        places.push_back(frame.places[i]);
    }
}

/// The key correlation of the frame with every character where `timing` puts it.
double laidOutMatch(const CumulativeBaseband& sums, const TrellisReading& frame,
                    const KeyingTiming& timing, double noise) {
    return placedCorrelation(sums, laidOut(frame, timing), timing, noise);
}

/// The measured starts and what the timing fitted to them must keep.
struct Starts {
    std::vector<Place> places;
    std::vector<double> samples;
    bool nominalGaps = false; ///< the keyer's gaps kept, only start and unit fitted
};

/// The unit that matches the frame best around `timing`'s, each unit tried with the
/// start (and gaps) that fit the starts best; `match` is what it reaches.
KeyingTiming unitAround(const CumulativeBaseband& sums, const TrellisReading& frame,
                        const Starts& starts, double noise, KeyingTiming timing, double& match) {
    for (const double step : kUnitSteps) {
        const double centre = timing.unit;
        double best = -std::numeric_limits<double>::infinity();
        KeyingTiming chosen = timing;
        for (int i = -kUnitStepsAround; i <= kUnitStepsAround; ++i) {
            const double unit = centre * (1.0 + i * step);
            const KeyingTiming tried =
                starts.nominalGaps ? startThrough(starts.places, starts.samples, timing, unit)
                                   : timingThrough(starts.places, starts.samples, timing, unit);
            const double m = laidOutMatch(sums, frame, tried, noise);
            if (m > best) {
                best = m;
                chosen = tried;
            }
        }
        timing = chosen;
        match = best;
    }
    return timing;
}

bool nearNominalGaps(const KeyingTiming& timing) {
    return std::abs(timing.characterGap - kCharacterGapUnits) <
               kNominalReach * kCharacterGapUnits &&
           std::abs(timing.wordGap - kWordGapUnits) < kNominalReach * kWordGapUnits;
}

/// The log-likelihood of `characters` keyed with `timing`: each mark's evidence for a
/// carrier, each space's against.
double keyedLikelihood(const CumulativeBaseband& sums,
                       const std::vector<PlacedCharacter>& characters, const KeyingTiming& timing,
                       const LevelTrack& levels) {
    double total = 0.0;
    for (const KeyedStretch& s : keyedStretches(characters, timing.unit, timing.weight, 1.0, 1.0)) {
        const double evidence = carrierEvidence(sums, levels, s.from, s.to);
        total += s.down ? evidence : -evidence;
    }
    return total;
}

} // namespace

std::vector<PlacedCharacter> laidOut(const TrellisReading& frame, const KeyingTiming& timing) {
    std::vector<PlacedCharacter> placed = frame.characters;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        placed[i].start = timing.at(frame.places[i]);
    }
    return placed;
}

KeyingTiming fitFrame(const CumulativeBaseband& sums, const TrellisReading& frame,
                      const KeyingTiming& timing, double noise) {
    Starts starts;
    measuredStarts(sums, frame, timing, starts.places, starts.samples);
    if (starts.samples.size() < kPrefixCharacters + kFewestFitted) {
        return timing;
    }
    // The starts leave the unit uncertain by a few tenths of a per cent with the gaps
    // free; the keyer's nominal gaps, which most keyers keep, are taken when they match
    // as well.
    double freeMatch = 0.0;
    const KeyingTiming fitted =
        unitAround(sums, frame, starts, noise, timingThrough(starts.places, starts.samples, timing),
                   freeMatch);
    if (!nearNominalGaps(fitted)) {
        return fitted;
    }
    KeyingTiming nominal = fitted;
    nominal.characterGap = kCharacterGapUnits;
    nominal.wordGap = kWordGapUnits;
    starts.nominalGaps = true;
    double nominalMatch = 0.0;
    nominal = unitAround(sums, frame, starts, noise,
                         startAndUnitThrough(starts.places, starts.samples, nominal), nominalMatch);
    return nominalMatch >= freeMatch - kNominalTolerance ? nominal : fitted;
}

double likeliestWeight(const CumulativeBaseband& sums,
                       const std::vector<PlacedCharacter>& characters, KeyingTiming timing,
                       const LevelTrack& levels) {
    // A likelihood, not a correlation: a strong signal's marks smeared by the channel
    // filter, or a fade, make a correlation favour heavier marks.
    double best = -std::numeric_limits<double>::infinity();
    double chosen = 0.0;
    for (double w = kLightestWeight; w <= kHeaviestWeight + 1e-9; w += kWeightStep) {
        timing.weight = w;
        const double likelihood = keyedLikelihood(sums, characters, timing, levels);
        if (likelihood > best) {
            best = likelihood;
            chosen = w;
        }
    }
    timing.weight = 0.0;
    const bool nominal =
        std::abs(chosen) <= kNominalWeightReach &&
        keyedLikelihood(sums, characters, timing, levels) >= best - kNominalWeightTolerance;
    return nominal ? 0.0 : chosen;
}

} // namespace orvinta::cw
