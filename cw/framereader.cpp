// SPDX-License-Identifier: GPL-3.0-or-later
#include "framereader.h"

#include "keyedstretches.h"
#include "levels.h"
#include "timingfit.h"
#include "trellis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace orvinta::cw {
namespace {

/// Before a reading exists, a unit whose matched filter shows this many times the noise
/// energy counts as key down: at the weakest signals read (6 dB per unit) most marks do,
/// and two spaces in a hundred.
constexpr double kBlindMarkRatio = 4.0;
/// A mark whose log-likelihood ratio is below minus this, or a space above it, shows
/// that the signal contradicts the character read: a drop-out, or a burst covering it.
constexpr double kContradiction = 6.0;
/// Where the level followed falls below this share of the frame's mean (-13 dB) the
/// signal has faded away, and a character is heard only when its marks' log-likelihood
/// ratios add up to this much (the carrier some twenty times likelier there than not).
constexpr double kFadedAwayShare = 0.05;
constexpr double kHeardEvidence = 3.0;
/// A timing is never exact: an element is judged where it agrees best within an eighth
/// of a unit.
constexpr double kTimingLeeway = 0.125;
/// A space beside a mark contradicts only when it holds a good share of that mark's
/// energy: a strong mark's edge leaks into it, a keyed mark fills it.
constexpr double kEdgeShare = 0.25;
/// The payload's first character may start this many units either way of where the
/// prefix's timing puts it.
constexpr int kStartSlackUnits = 1;
/// The gaps' slack in the trellis, in ticks: two on the first reading, whose timing comes
/// from the prefix alone, one once the whole frame has refined it.
constexpr int kFirstSlack = 2;
const int kLaterSlack = std::getenv("SLACK") ? std::atoi(std::getenv("SLACK")) : 1;
/// Where more than this share of the marks has faded below its neighbours, the
/// likelihoods rest on levels followed through the fades and are less exact: a character
/// then needs this margin at least.
constexpr double kFadingShare = 0.03;
constexpr double kFadingMargin = 3.0;
/// Readings in all: the first with levels from the signal alone, the others with levels
/// and timing from the reading before.
constexpr int kReadings = 3;
/// The frame's timing is fitted to the payload's characters read by at least this
/// margin, if there are this many.
constexpr double kClearMargin = 3.0;
constexpr std::size_t kFewestFitted = 4;
/// Each of those characters is placed to an eighth of a tick: four steps either way.
constexpr int kSharpenSteps = 4;
/// The keyer's weight is searched this far either way of the prefix's, in these steps.
constexpr double kWeightReach = 0.25;
constexpr double kWeightStep = 0.05;
/// Units tried around the fitted one, as fractions of it: five steps either way, first
/// coarse, then fine around the better.
constexpr std::array<double, 2> kUnitSteps{0.001, 0.0002};
constexpr int kUnitStepsAround = 5;
/// Gaps within this share of the nominal are tried as nominal, and kept so when the frame
/// matches within this much of the fitted gaps' match.
constexpr double kNominalReach = 0.05;
constexpr double kNominalTolerance = 0.002;
/// A weight within this much of the nominal (units; 0.1 is 45-55 %) is taken as nominal
/// when the frame matches within this much of the best weight's match.
constexpr double kNominalWeightReach = 0.12;
const double kNominalWeightTolerance = std::getenv("WTOL") ? std::atof(std::getenv("WTOL")) : 2.0;

/// The payload's ticks: tick i lies at origin + i * tick.
struct TickGrid {
    double origin = 0.0;
    double tick = 1.0;
    int count = 0;
};

TickGrid payloadGrid(const KeyingTiming& timing, double limit) {
    TickGrid grid;
    grid.tick = timing.unit / kTicksPerUnit;
    grid.origin = timing.at(FrameLayout::instance().payloadStart()) - kStartSlackUnits * timing.unit;
    grid.count = std::max(0, static_cast<int>(std::floor((limit - grid.origin) / grid.tick)) + 1);
    return grid;
}

struct Frame {
    std::vector<PlacedCharacter> characters; ///< prefix, then the payload as read
    std::vector<Place> places;               ///< where the layout puts each of them
    PayloadPath path;
};

double frameStart(const KeyingTiming& timing) {
    return timing.at({}) - timing.wordGap * timing.unit;
}

/// Adds the stretches to `levels`; the marks of the characters for which `teaches`
/// holds may tell how deep the signal fades.
template <typename Teaches>
void addStretches(const CumulativeBaseband& sums, const std::vector<KeyedStretch>& stretches,
                  const Teaches& teaches, LevelTrack& levels) {
    for (const KeyedStretch& s : stretches) {
        if (!stretchHeld(sums, s.from, s.to)) {
            continue;
        }
        const double e = stretchEnergy(sums, s.from, s.to);
        if (s.down) {
            levels.addMark(s.from, s.to, e, teaches(s.character));
        } else {
            levels.addSpace(s.from, s.to, e, s.edge);
        }
    }
}

/// Levels before any reading: the prefix as keyed, and the payload's units taken as key
/// down where their energy stands clearly above the noise. Only the prefix's marks tell
/// how deep the signal fades: the payload's units do not line up with its marks yet.
LevelTrack blindLevels(const CumulativeBaseband& sums, const KeyingTiming& timing, double limit) {
    LevelTrack levels(frameStart(timing), limit, timing.unit / 2.0);
    const std::vector<KeyedStretch> prefix =
        keyedStretches(prefixAt(timing), timing.unit, timing.weight, timing.wordGap, timing.wordGap);
    addStretches(sums, prefix, [](int) { return true; }, levels);
    double noise = 0.0;
    double noiseLength = 0.0;
    for (const KeyedStretch& s : prefix) {
        if (!s.down && stretchHeld(sums, s.from, s.to)) {
            noise += stretchEnergy(sums, s.from, s.to);
            noiseLength += s.to - s.from;
        }
    }
    noise = noiseLength > 0.0 ? noise / noiseLength : 1.0;
    for (double t = timing.at(FrameLayout::instance().payloadStart());
         stretchHeld(sums, t, t + timing.unit) && t + timing.unit <= limit; t += timing.unit) {
        const double e = stretchEnergy(sums, t, t + timing.unit);
        if (e > kBlindMarkRatio * noise * timing.unit) {
            levels.addMark(t, t + timing.unit, e, false);
        } else {
            levels.addSpace(t, t + timing.unit, e);
        }
    }
    levels.follow(timing.unit);
    return levels;
}

/// Levels along a reading: its marks and spaces, and a word gap after its end. The
/// marks of the prefix and of characters read clearly tell how deep the signal fades.
LevelTrack readingLevels(const CumulativeBaseband& sums, const Frame& frame,
                         const KeyingTiming& timing, double limit) {
    LevelTrack levels(frameStart(timing), limit, timing.unit / 2.0);
    levels.leaveOwnMarksOut(std::getenv("NOLOO") == nullptr);
    const auto clear = [&](int character) {
        const auto c = static_cast<std::size_t>(character);
        return c < kPrefixCharacters || frame.path.margins[c - kPrefixCharacters] >= kClearMargin;
    };
    addStretches(sums,
                 keyedStretches(frame.characters, timing.unit, timing.weight, timing.wordGap,
                                timing.wordGap),
                 clear, levels);
    levels.follow(timing.unit);
    return levels;
}

/// The likelihood ratios of a dot and of a dash (three coherent thirds) at every tick.
PayloadEvidence payloadEvidence(const CumulativeBaseband& sums, const TickGrid& grid,
                                const KeyingTiming& timing, const LevelTrack& levels) {
    PayloadEvidence evidence;
    const double u = timing.unit;
    const double third = (kDashUnits + timing.weight) * u / kDashUnits;
    for (int i = 0; i < grid.count; ++i) {
        const double start = grid.origin + i * grid.tick;
        evidence.dot.push_back(
            carrierEvidence(sums, levels, start, start + (kDotUnits + timing.weight) * u));
        double dash = 0.0;
        for (int p = 0; p < kDashUnits; ++p) {
            dash += carrierEvidence(sums, levels, start + p * third, start + (p + 1) * third);
        }
        evidence.dash.push_back(dash);
    }
    return evidence;
}

/// The gap after each slot in ticks: the gaps added up to each slot are rounded, not
/// each gap, so that a gap of 3.1 units does not become 3 units 25 times over.
std::vector<int> gapTicks(const KeyingTiming& timing) {
    const auto& slots = FrameLayout::instance().slots();
    std::vector<int> ticks;
    double gaps = 0.0;
    long before = 0;
    for (const Slot& slot : slots) {
        gaps += slot.wordGapAfter ? timing.wordGap : timing.characterGap;
        const long after = std::lround(gaps * kTicksPerUnit);
        ticks.push_back(static_cast<int>(after - before));
        before = after;
    }
    return ticks;
}

/// Reads the payload with `timing`; the prefix's characters are where `prefix` (the
/// timing learnt on the prefix) put them.
Frame read(const CumulativeBaseband& sums, const KeyingTiming& prefix, const KeyingTiming& timing,
           const LevelTrack& levels, double limit, int slack) {
    const FrameLayout& layout = FrameLayout::instance();
    const TickGrid grid = payloadGrid(timing, limit);
    PayloadShape shape;
    shape.firstFrom = kTicksPerUnit * kStartSlackUnits - kTicksPerUnit;
    shape.firstTo = kTicksPerUnit * kStartSlackUnits + kTicksPerUnit;
    shape.gapAfter = gapTicks(timing);
    shape.slack = slack;
    shape.lastEnd = static_cast<int>(
        std::floor((limit - grid.origin) / grid.tick - timing.weight * kTicksPerUnit));
    Frame frame;
    const PayloadEvidence ev = payloadEvidence(sums, grid, timing, levels);
    if (const char* around = std::getenv("EVIDENCE")) {
        const double centre = std::atof(around);
        for (int i = 0; i < grid.count; ++i) {
            const double at = grid.origin + i * grid.tick;
            if (std::abs(at - centre) < 12 * timing.unit && i % 2 == 0) {
                std::fprintf(stderr, "    ev %.0f: dot %.1f dash %.1f E %.3g level %.3g noise %.3g\n", at, ev.dot[static_cast<std::size_t>(i)], ev.dash[static_cast<std::size_t>(i)], stretchEnergy(sums, at, at + timing.unit), levels.signalFor(at, at + timing.unit), levels.noise(at));
            }
        }
    }
    frame.path = bestPayload(ev, shape);
    if (!frame.path.complete) {
        return frame;
    }
    frame.characters = prefixAt(prefix);
    frame.places = layout.prefixPlaces();
    int units = 0;
    for (std::size_t k = 0; k < frame.path.characters.size(); ++k) {
        const Slot& slot = layout.slots()[k];
        const auto found = std::find_if(
            slot.characters.begin(), slot.characters.end(),
            [&](const CharacterKeying& c) { return c.character == frame.path.characters[k]; });
        frame.characters.push_back({&*found, grid.origin + frame.path.starts[k] * grid.tick});
        frame.places.push_back(layout.payloadStart() + slot.gapsBefore + Place{units, 0, 0});
        units += found->length;
    }
    return frame;
}

/// Where a character's marks hold the most energy, within half a tick of where the
/// trellis put it: the trellis's grid is a quarter unit coarse.
double sharpenedStart(const CumulativeBaseband& sums, const PlacedCharacter& c,
                      const KeyingTiming& timing) {
    const double tick = timing.unit / kTicksPerUnit;
    double best = -1.0;
    double bestStart = c.start;
    for (int i = -kSharpenSteps; i <= kSharpenSteps; ++i) {
        PlacedCharacter moved = c;
        moved.start = c.start + 0.5 * tick * i / kSharpenSteps;
        double energy = 0.0;
        for (const KeyedStretch& s : keyedStretches({moved}, timing.unit, timing.weight, 0.0, 0.0)) {
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
void measuredStarts(const CumulativeBaseband& sums, const Frame& frame, const KeyingTiming& timing,
                    std::vector<Place>& places, std::vector<double>& starts) {
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

/// The frame's characters where `timing` puts them.
std::vector<PlacedCharacter> laidOut(const Frame& frame, const KeyingTiming& timing) {
    std::vector<PlacedCharacter> placed = frame.characters;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        placed[i].start = timing.at(frame.places[i]);
    }
    return placed;
}

/// The key correlation of the frame with every character where `timing` puts it.
double laidOutMatch(const CumulativeBaseband& sums, const Frame& frame, const KeyingTiming& timing,
                    double noise) {
    const std::vector<PlacedCharacter> placed = laidOut(frame, timing);
    return keyCorrelation(
        sums, keyedStretches(placed, timing.unit, timing.weight, timing.wordGap, timing.wordGap),
        noise);
}

/// The unit that matches the frame best around `timing`'s, each unit tried with the
/// start (and, unless `nominal`, the gaps) that fit the starts best.
KeyingTiming unitAround(const CumulativeBaseband& sums, const Frame& frame,
                        const std::vector<Place>& places, const std::vector<double>& starts,
                        double noise, KeyingTiming timing, bool nominal, double& match) {
    for (const double step : kUnitSteps) {
        const double centre = timing.unit;
        double best = -2.0;
        KeyingTiming chosen = timing;
        for (int i = -kUnitStepsAround; i <= kUnitStepsAround; ++i) {
            const double unit = centre * (1.0 + i * step);
            const KeyingTiming tried = nominal ? startThrough(places, starts, timing, unit)
                                               : timingThrough(places, starts, timing, unit);
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

/// The log-likelihood of `characters` keyed with `timing`: each mark's evidence for a
/// carrier, each space's against.
double keyedLikelihood(const CumulativeBaseband& sums, const std::vector<PlacedCharacter>& characters,
                       const KeyingTiming& timing, const LevelTrack& levels) {
    double total = 0.0;
    for (const KeyedStretch& s : keyedStretches(characters, timing.unit, timing.weight, 1.0, 1.0)) {
        const double evidence = carrierEvidence(sums, levels, s.from, s.to);
        total += s.down ? evidence : -evidence;
    }
    return total;
}

/// The keyer's weight under which `characters` are likeliest; the nominal weight when it
/// is nearly as likely. A likelihood, not a correlation: a strong signal's marks smeared
/// by the channel filter, or a fade, make a correlation favour heavier marks.
double likeliestWeight(const CumulativeBaseband& sums, const std::vector<PlacedCharacter>& characters,
                       KeyingTiming timing, const LevelTrack& levels) {
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
    if (std::abs(chosen) <= kNominalWeightReach &&
        keyedLikelihood(sums, characters, timing, levels) >= best - kNominalWeightTolerance) {
        return 0.0;
    }
    return chosen;
}

/// The timing of the whole frame as read: where its characters start gives the start,
/// the unit and the gaps; the marks then choose between units a little apart (each with
/// the start and gaps that fit it best), and give the weight.
KeyingTiming fitFrame(const CumulativeBaseband& sums, const Frame& frame,
                      const KeyingTiming& timing, double noise) {
    std::vector<Place> places;
    std::vector<double> starts;
    measuredStarts(sums, frame, timing, places, starts);
    if (starts.size() < kPrefixCharacters + kFewestFitted) {
        return timing;
    }
    // The unit around the fitted one, each with the start and gaps that fit it best;
    // then the same with the keyer's nominal gaps, which most keyers keep: a frame's
    // starts leave the unit uncertain by a few tenths of a percent with the gaps free,
    // and the nominal gaps are taken when they match as well.
    double freeMatch = -2.0;
    KeyingTiming fitted = unitAround(sums, frame, places, starts, noise,
                                     timingThrough(places, starts, timing), false, freeMatch);
    if (std::abs(fitted.characterGap - kCharacterGapUnits) < kNominalReach * kCharacterGapUnits &&
        std::abs(fitted.wordGap - kWordGapUnits) < kNominalReach * kWordGapUnits) {
        double nominalMatch = -2.0;
        KeyingTiming nominal = fitted;
        nominal.characterGap = kCharacterGapUnits;
        nominal.wordGap = kWordGapUnits;
        nominal = unitAround(sums, frame, places, starts, noise,
                             startAndUnitThrough(places, starts, nominal), true, nominalMatch);
        if (nominalMatch >= freeMatch - kNominalTolerance) {
            fitted = nominal;
        }
    }
    return fitted;
}

/// Whether the signal contradicts each payload character as read: a mark of it clearly
/// missing, or a mark clearly there in its gaps or the gap after it.
std::vector<bool> contradicted(const CumulativeBaseband& sums, const LevelTrack& levels,
                               const std::vector<KeyedStretch>& stretches, double unit) {
    std::vector<bool> result(kPayloadSlots, false);
    const std::vector<bool> loud = loudEnough(sums, stretches, kEdgeShare);
    int current = -1;
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const KeyedStretch& s = stretches[i];
        current = s.down ? s.character : current;
        if (current < static_cast<int>(kPrefixCharacters) || !loud[i]) {
            continue;
        }
        if (agreement(sums, levels, s.from, s.to, s.down, kTimingLeeway * unit) <
            -kContradiction) {
            result[static_cast<std::size_t>(current) - kPrefixCharacters] = true;
        }
    }
    return result;
}

/// Whether each payload character as read was heard. Where the signal has faded away (a
/// drop-out, a frame's end) the level followed through it falls toward nothing, and every
/// reading there is about as likely as any other: a character there must show its
/// carrier clearly, its marks' log-likelihood ratios adding up to kHeardEvidence.
std::vector<bool> heard(const CumulativeBaseband& sums, const LevelTrack& levels,
                        const std::vector<KeyedStretch>& stretches) {
    std::vector<double> evidence(kPayloadSlots, 0.0);
    std::vector<double> level(kPayloadSlots, 0.0);
    for (const KeyedStretch& s : stretches) {
        if (s.down && s.character >= static_cast<int>(kPrefixCharacters)) {
            const auto k = static_cast<std::size_t>(s.character) - kPrefixCharacters;
            evidence[k] += carrierEvidence(sums, levels, s.from, s.to);
            level[k] = std::max(level[k], levels.signal(0.5 * (s.from + s.to)));
        }
    }
    std::vector<bool> result(kPayloadSlots);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const bool fadedAway = level[k] < kFadedAwayShare * levels.meanSignal();
        result[k] = !fadedAway || evidence[k] >= kHeardEvidence;
    }
    return result;
}

/// The line as read: a character whose margin is too small, or which the signal
/// contradicts, becomes "?".
void writeLine(const Frame& frame, const std::vector<bool>& against, double minimumMargin,
               FrameReading& reading) {
    reading.text = kFramePrefix;
    reading.confidence = 1.0;
    reading.margins = frame.path.margins;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const double margin = frame.path.margins[k];
        const bool sure = !against[k] && margin >= minimumMargin;
        if (std::getenv("RDEBUG")) {
            std::fprintf(stderr, "%c(%.1f%s@%.0f) ", frame.path.characters[k], margin, against[k] ? "!" : "", frame.characters[kPrefixCharacters + k].start);
            if (k + 1 == kPayloadSlots) std::fprintf(stderr, "\n");
        }
        reading.text += sure ? frame.path.characters[k] : '?';
        reading.unreadable += sure ? 0U : 1U;
        if (sure) {
            reading.confidence *= 1.0 / (1.0 + std::exp(-margin));
        }
        if (k + 1 < kPayloadSlots && FrameLayout::instance().slots()[k].wordGapAfter) {
            reading.text += ' ';
        }
    }
}

} // namespace

FrameReading readFrame(const CumulativeBaseband& sums, double rate, const KeyingTiming& timing,
                       double limit, const ReadSettings& settings) {
    FrameReading reading;
    LevelTrack levels = blindLevels(sums, timing, limit);
    KeyingTiming fitted = timing;
    fitted.weight = likeliestWeight(sums, prefixAt(timing), timing, levels);
    Frame frame = read(sums, timing, fitted, levels, limit, kFirstSlack);
    if (!frame.path.complete) {
        return reading;
    }
    if (std::getenv("RDEBUG")) {
        std::fprintf(stderr, "first: %s fades %.3f %.3f %.3f\n", frame.path.characters.c_str(), levels.fades().weights[0], levels.fades().weights[1], levels.fades().weights[2]);
    }
    reading.match = keyCorrelation(sums,
                                   keyedStretches(frame.characters, fitted.unit, fitted.weight,
                                                  fitted.wordGap, fitted.wordGap),
                                   levels.meanNoise());
    if (reading.match < settings.giveUpBelow) {
        return reading;
    }
    // The timing from the whole frame as read, the levels followed along the reading,
    // and the frame read again.
    for (int r = 1; r < kReadings; ++r) {
        fitted = fitFrame(sums, frame, fitted, levels.meanNoise());
        fitted.weight = likeliestWeight(sums, laidOut(frame, fitted), fitted, levels);
        levels = readingLevels(sums, frame, fitted, limit);
        Frame next = read(sums, timing, fitted, levels, limit, kLaterSlack);
        if (!next.path.complete) {
            break;
        }
        if (std::getenv("RDEBUG")) {
            std::fprintf(stderr, "again: %s fades %.3f %.3f %.3f unit %.3f G %.2f W %.2f w %.2f\n", next.path.characters.c_str(), levels.fades().weights[0], levels.fades().weights[1], levels.fades().weights[2], fitted.unit, fitted.characterGap, fitted.wordGap, fitted.weight);
        }
        frame = std::move(next);
    }
    const std::vector<KeyedStretch> stretches = keyedStretches(
        frame.characters, fitted.unit, fitted.weight, fitted.wordGap, fitted.wordGap);
    if (std::getenv("RDEBUG")) {
        std::fprintf(stderr, "prefix start %.1f unit %.3f G %.2f W %.2f w %.2f -> start %.1f unit %.3f G %.2f W %.2f w %.2f\n", timing.start, timing.unit, timing.characterGap, timing.wordGap, timing.weight, fitted.start, fitted.unit, fitted.characterGap, fitted.wordGap, fitted.weight);
    }
    levels = readingLevels(sums, frame, fitted, limit);
    std::vector<bool> against = contradicted(sums, levels, stretches, fitted.unit);
    const std::vector<bool> carried = heard(sums, levels, stretches);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        against[k] = against[k] || !carried[k];
    }
    // A reading that leaves the timing more freedom must agree: a character it reads
    // otherwise rests on where a fade or the noise let the timing slip.
    const Frame freer = read(sums, timing, fitted, levels, limit, kFirstSlack);
    for (std::size_t k = 0; k < kPayloadSlots && freer.path.complete && !std::getenv("NOFREER"); ++k) {
        against[k] = against[k] || freer.path.characters[k] != frame.path.characters[k];
    }
    if (std::getenv("CVDEBUG")) {
        double sum = 0, sum2 = 0; int n = 0;
        for (const KeyedStretch& st : stretches) {
            if (!st.down && !st.edge && stretchHeld(sums, st.from, st.to)) {
                const double e = stretchEnergy(sums, st.from, st.to) / (st.to - st.from);
                sum += e; sum2 += e * e; ++n;
            }
        }
        const double mean = sum / n;
        std::fprintf(stderr, "CV %.3f n %d snr %.1f\n", std::sqrt(std::max(0.0, sum2 / n - mean * mean)) / mean, n, 10.0 * std::log10(levels.meanSignal() * rate / (3000.0 * levels.meanNoise())));
    }
    const double faded = 1.0 - levels.fades().weights[0];
    const double fadingMargin = std::getenv("FMARGIN") ? std::atof(std::getenv("FMARGIN")) : kFadingMargin;
    const double fadingShare = std::getenv("FSHARE") ? std::atof(std::getenv("FSHARE")) : kFadingShare;
    writeLine(frame, against,
              faded > fadingShare ? std::max(settings.minimumMargin, fadingMargin)
                                  : settings.minimumMargin,
              reading);
    reading.timing = fitFrame(sums, frame, fitted, levels.meanNoise());
    if (std::getenv("RDEBUG")) {
        std::fprintf(stderr, "  levels: meanSignal %.4g meanNoise %.4g fades %.4f %.4f %.4f\n", levels.meanSignal(), levels.meanNoise(), levels.fades().weights[0], levels.fades().weights[1], levels.fades().weights[2]);
        const KeyingTiming& r = reading.timing;
        std::fprintf(stderr, "  final start %.2f unit %.4f G %.3f W %.3f w %.3f\n", r.start, r.unit, r.characterGap, r.wordGap, r.weight);
    }
    reading.match = keyCorrelation(sums, stretches, levels.meanNoise());
    const PlacedCharacter& last = frame.characters.back();
    reading.endSample = last.start + (last.keying->length + fitted.weight) * fitted.unit;
    reading.snrDb = levels.meanSignal() > 0.0
                        ? 10.0 * std::log10(levels.meanSignal() * rate /
                                            (3000.0 * levels.meanNoise()))
                        : -99.0;
    return reading;
}

} // namespace orvinta::cw
