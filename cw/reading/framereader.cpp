// SPDX-License-Identifier: GPL-3.0-or-later
#include "framereader.h"

#include "cw/model/keyedstretches.h"
#include "cw/model/levels.h"
#include "cw/model/timingfit.h"
#include "cw/model/trellis.h"
#include "doubt.h"
#include "framefit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <vector>

namespace orvinta::cw {
namespace {

/// Before a reading exists, a unit whose matched filter shows this many times the noise
/// energy counts as key down: at the weakest signals read (6 dB per unit) most marks do,
/// and few spaces (orvinta-cw-bench reads frames at those signals).
constexpr double kBlindMarkRatio = 4.0;
/// The payload's first character may start this many units either way of where the
/// prefix's timing puts it.
constexpr int kStartSlackUnits = 1;
/// The gaps' slack in the trellis, in ticks: two on the first reading, whose timing comes
/// from the prefix alone, one once the whole frame has refined it. A fading signal is
/// read with none while its timing and levels are refined: the beacon's keyer keeps its
/// timing, and a fade that hides a few marks would otherwise let the characters around it
/// slide into another reading that fits as well, which the levels followed along it then
/// confirm. Its last reading has one again: a tick's slip of a faded stretch then counts
/// among the alternatives, so a pair of neighbours that a trough lets pass a dot from one
/// to the other ("BT" and "DA") is read by a narrow margin instead of a wide one.
constexpr int kFirstSlack = 2;
constexpr int kLaterSlack = 1;
constexpr int kFadingSlack = 0;
/// The doubt check reads with this many ticks of slack more than the last reading has.
constexpr int kFreerSlack = 1;
/// Readings in all: the first with levels from the signal alone, the others with levels
/// and timing from the reading before.
constexpr int kReadings = 3;
/// Where the signal fades, the likelihoods rest on levels followed through the fades and
/// are less exact: a character then needs this margin at least, in its reading and (above
/// kFadeToldSnrDb) in the reading with a tick more slack in its gaps.
constexpr double kFadingMargin = 3.0;
/// A fading signal whose mean SNR is below this shows fewer marks above the noise to
/// follow its level by, which is less exact still: a character then needs
/// kWeakFadingMargin, which lets fewer characters be written wrongly there (see the wrong
/// characters of orvinta-cw-bench's fading runs).
constexpr double kWeakFadingSnrDb = -2.0;
constexpr double kWeakFadingMargin = 4.0;
/// Below this mean SNR the noise alone leaves marks well below their neighbours, and a
/// steady signal may count as fading; the reading with more slack then reads right
/// characters as narrowly as wrong ones (in white noise from -9 to -12 dB in
/// orvinta-cw-bench, asking it for a margin left more characters unread and none fewer
/// wrong), and it only has to read them the same.
constexpr double kFadeToldSnrDb = -8.0;
/// A reading that leaves this many characters unread may rest on a speed the prefix got
/// wrong: a fade through the prefix can put its unit some per cent off, and over a frame
/// of some 300 units that slides the last characters a dozen units. The first reading is
/// then tried again at these speeds, and the best of them read to the end.
constexpr std::size_t kUnreadToRetry = 2;
constexpr std::array<double, 6> kOtherUnits{0.92, 0.95, 0.98, 1.02, 1.05, 1.08};
/// A reading whose key correlation falls this far below the prefix's is out of step with
/// the signal: with a unit learnt a few per cent off on the prefix, the payload's places
/// drift off its marks, and the trellis then picks the shortest characters, each on a mark
/// of its own, by wide margins. Such a frame is read again at the other speeds, and if
/// no reading keeps in step, none of its characters is written.
constexpr double kOutOfStep = 0.2;
/// A character that the first reading left unread and the reading at another speed reads
/// needs kSecondOpinion times the least margin there: under fast fading such characters
/// read with just the least margin come out wrong several times as often as those read
/// with half as much again (see orvinta-cw-bench's fading runs). Where the first reading is kept,
/// such a character is taken from the other if that put it within kSamePlaceUnits of the same
/// place, on the same stretch of signal.
constexpr double kSecondOpinion = 1.5;
constexpr double kSamePlaceUnits = 1.0;
/// A frame is followed by the next one's start, a word gap after its last character at
/// the earliest (less this many units for the timing's errors), or by nothing; a start
/// counts only where its marks show it by this log-likelihood ratio (a frame may start at
/// any of some hundred ticks).
constexpr double kNextFrameSlackUnits = 1.5;
constexpr double kNextFrameCost = 4.0;
/// The SNR is given in this bandwidth.
constexpr double kSnrBandwidthHz = 3000.0;

/// The slack of a reading on a refined timing, on levels `levels`; `last` for the last.
int refinedSlack(const LevelTrack& levels, bool last) {
    return levels.fading() && !last ? kFadingSlack : kLaterSlack;
}

/// The signal-to-noise ratio over the marks in kSnrBandwidthHz, for baseband samples at
/// `rate` per second.
double snrDb(const LevelTrack& levels, double rate) {
    return levels.meanSignal() > 0.0 ? 10.0 * std::log10(levels.meanSignal() * rate /
                                                         (kSnrBandwidthHz * levels.meanNoise()))
                                     : -99.0;
}

/// The margin below which a character of a reading on `levels` is written as "?".
double leastMargin(const LevelTrack& levels, double rate, const ReadSettings& settings) {
    if (!levels.fading()) {
        return settings.minimumMargin;
    }
    return std::max(settings.minimumMargin,
                    snrDb(levels, rate) < kWeakFadingSnrDb ? kWeakFadingMargin : kFadingMargin);
}

/// The margin by which the reading with more slack must read a character as the reading
/// does, where the least margin is `minimumMargin`.
double freerMargin(const LevelTrack& levels, double rate, double minimumMargin) {
    return levels.fading() && snrDb(levels, rate) >= kFadeToldSnrDb ? minimumMargin : 0.0;
}

/// The payload's ticks: tick i lies at origin + i * tick.
struct TickGrid {
    double origin = 0.0;
    double tick = 1.0;
    int count = 0;
};

TickGrid payloadGrid(const KeyingTiming& timing, double limit) {
    TickGrid grid;
    grid.tick = tickSamples(timing.unit);
    grid.origin =
        timing.at(FrameLayout::instance().payloadStart()) - kStartSlackUnits * timing.unit;
    grid.count = std::max(0, static_cast<int>(std::floor((limit - grid.origin) / grid.tick)) + 1);
    return grid;
}

double frameStart(const KeyingTiming& timing) {
    return timing.at({}) - timing.wordGap * timing.unit;
}

std::vector<KeyedStretch> stretchesOf(const std::vector<PlacedCharacter>& characters,
                                      const KeyingTiming& timing) {
    return keyedStretches(characters, timing.unit, timing.weight, timing.wordGap, timing.wordGap);
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
    const std::vector<KeyedStretch> prefix = stretchesOf(prefixAt(timing), timing);
    addStretches(
        sums, prefix, [](int) { return true; }, levels);
    double noise = 0.0;
    double noiseLength = 0.0;
    for (const KeyedStretch& s : prefix) {
        if (!s.down && stretchHeld(sums, s.from, s.to)) {
            noise += stretchEnergy(sums, s.from, s.to);
            noiseLength += s.to - s.from;
        }
    }
    noise = noiseLength > 0.0 ? noise / noiseLength : 1.0;
    const double u = timing.unit;
    for (double t = timing.at(FrameLayout::instance().payloadStart());
         stretchHeld(sums, t, t + u) && t + u <= limit; t += u) {
        const double e = stretchEnergy(sums, t, t + u);
        if (e > kBlindMarkRatio * noise * u) {
            levels.addMark(t, t + u, e, false);
        } else {
            levels.addSpace(t, t + u, e);
        }
    }
    levels.follow(u);
    return levels;
}

/// Levels along a reading: its marks and spaces, and a word gap after its end, and the
/// carrier's gain through its marks. The marks of the prefix and of characters read
/// clearly tell how deep the signal fades.
/// Each stretch is judged by the level around it, its own marks included: a tumbling
/// satellite fades by 10 dB from one mark to the next, and its neighbours alone would
/// judge a mark in a shallow fade by a level it does not have. (The prefix check, which
/// must not be talked into a frame, leaves a stretch's own marks out.)
LevelTrack readingLevels(const CumulativeBaseband& sums, const TrellisReading& frame,
                         const KeyingTiming& timing, double limit) {
    LevelTrack levels(frameStart(timing), limit, timing.unit / 2.0);
    const auto clear = [&](int character) {
        const auto c = static_cast<std::size_t>(character);
        return c < kPrefixCharacters || frame.path.margins[c - kPrefixCharacters] >= kClearMargin;
    };
    addStretches(sums, stretchesOf(frame.characters, timing), clear, levels);
    levels.follow(timing.unit);
    levels.followCarrier(sums, timing.unit);
    return levels;
}

/// The matched filters of a dot and of a dash starting at every tick, as log-likelihood
/// ratios (carrier against noise: of unknown phase on the first reading; on the later
/// ones, where the signal is steady, of the phase the marks around it show). A dash is
/// summed coherently in thirds: the carrier's phase drifts too much over a whole dash
/// with the tone's residual offset.
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
    std::vector<int> ticks;
    double gaps = 0.0;
    long before = 0;
    for (const Slot& slot : FrameLayout::instance().slots()) {
        gaps += timing.gapUnits(gapAfter(slot));
        const long after = std::lround(gaps * kTicksPerUnit);
        ticks.push_back(static_cast<int>(after - before));
        before = after;
    }
    return ticks;
}

/// The payload as the trellis placed it, after the prefix where `prefix` (the timing
/// learnt on the prefix) put it.
TrellisReading placeReading(const PayloadPath& path, const TickGrid& grid,
                            const KeyingTiming& prefix) {
    const FrameLayout& layout = FrameLayout::instance();
    TrellisReading frame{prefixAt(prefix), layout.prefixPlaces(), path};
    int units = 0;
    for (std::size_t k = 0; k < path.characters.size(); ++k) {
        const Slot& slot = layout.slots()[k];
        const auto found = std::find_if(
            slot.characters.begin(), slot.characters.end(),
            [&](const CharacterKeying& c) { return c.character == path.characters[k]; });
        frame.characters.push_back({&*found, grid.origin + path.starts[k] * grid.tick});
        frame.places.push_back(layout.payloadStart() + slot.gapsBefore + Place{units, 0, 0});
        units += found->length;
    }
    return frame;
}

/// A mark of the frame's prefix: its tick from the "E", and whether it is a dash.
struct PrefixMark {
    int tick = 0;
    bool dash = false;
};

std::vector<PrefixMark> prefixMarks(const KeyingTiming& timing) {
    const FrameLayout& layout = FrameLayout::instance();
    std::vector<PrefixMark> marks;
    for (std::size_t i = 0; i < layout.prefixCharacters().size(); ++i) {
        const double units = (timing.at(layout.prefixPlaces()[i]) - timing.start) / timing.unit;
        const CharacterKeying& c = layout.prefixCharacters()[i];
        const auto add = [&](int unit, bool dash) {
            marks.push_back({static_cast<int>(std::lround((units + unit) * kTicksPerUnit)), dash});
        };
        std::for_each(c.dots.begin(), c.dots.end(), [&](int u) { add(u, false); });
        std::for_each(c.dashes.begin(), c.dashes.end(), [&](int u) { add(u, true); });
    }
    return marks;
}

/// What may follow a frame whose last character ends at each tick: nothing, or the next
/// frame's start keyed with the same timing, as far as the evidence reaches (a recording
/// may end inside it). Without it, the marks of a next start that was cut off, and so never
/// heard, would draw the frame's last characters onto them.
std::vector<double> nextFrameScores(const PayloadEvidence& evidence, const KeyingTiming& timing) {
    const auto ticks = static_cast<int>(evidence.dot.size());
    const std::vector<PrefixMark> marks = prefixMarks(timing);
    // best[s]: the best next start at tick s or later.
    std::vector<double> best(static_cast<std::size_t>(ticks) + 1, 0.0);
    for (int s = ticks - 1; s >= 0; --s) {
        double score = -kNextFrameCost;
        for (const PrefixMark& m : marks) {
            const int length = kTicksPerUnit * (m.dash ? kDashUnits : kDotUnits);
            if (s + m.tick + length <= ticks) {
                const auto at = static_cast<std::size_t>(s) + static_cast<std::size_t>(m.tick);
                score += m.dash ? evidence.dash[at] : evidence.dot[at];
            }
        }
        best[static_cast<std::size_t>(s)] = std::max(score, best[static_cast<std::size_t>(s) + 1]);
    }
    const auto gap =
        static_cast<int>(std::lround((timing.wordGap - kNextFrameSlackUnits) * kTicksPerUnit));
    std::vector<double> after(static_cast<std::size_t>(ticks), 0.0);
    for (int t = 0; t + gap < ticks; ++t) {
        after[static_cast<std::size_t>(t)] =
            best[static_cast<std::size_t>(t) + static_cast<std::size_t>(gap)];
    }
    return after;
}

/// Reads the payload with `timing` on the trellis, each gap `slack` ticks either way.
TrellisReading read(const CumulativeBaseband& sums, const KeyingTiming& prefix,
                    const KeyingTiming& timing, const LevelTrack& levels, double limit, int slack) {
    const TickGrid grid = payloadGrid(timing, limit);
    PayloadShape shape;
    shape.firstFrom = kTicksPerUnit * kStartSlackUnits - kTicksPerUnit;
    shape.firstTo = kTicksPerUnit * kStartSlackUnits + kTicksPerUnit;
    shape.gapAfter = gapTicks(timing);
    shape.slack = slack;
    shape.lastEnd = static_cast<int>(
        std::floor((limit - grid.origin) / grid.tick - timing.weight * kTicksPerUnit));
    const PayloadEvidence evidence = payloadEvidence(sums, grid, timing, levels);
    shape.afterFrame = nextFrameScores(evidence, timing);
    const PayloadPath path = bestPayload(evidence, shape);
    return path.complete ? placeReading(path, grid, prefix) : TrellisReading{{}, {}, path};
}

/// The line as read: a character in doubt, or read by less than `minimumMargin`,
/// becomes "?". The confidence is the probability that no character printed is wrong,
/// each one's from its margin (a likelihood ratio of e^margin against the alternative).
void writeLine(const TrellisReading& frame, const std::vector<bool>& doubtful, double minimumMargin,
               FrameReadout& reading) {
    reading.text = kFramePrefix;
    reading.guess = kFramePrefix;
    reading.confidence = 1.0;
    reading.margins = frame.path.margins;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const double margin = frame.path.margins[k];
        const bool sure = !doubtful[k] && margin >= minimumMargin;
        reading.text += sure ? frame.path.characters[k] : '?';
        reading.guess += frame.path.characters[k];
        reading.unreadable += sure ? 0U : 1U;
        reading.confidence *= sure ? chanceRight(margin) : 1.0;
        if (k + 1 < kPayloadSlots && FrameLayout::instance().slots()[k].wordGapAfter) {
            reading.text += ' ';
            reading.guess += ' ';
        }
    }
}

/// One pass of the reader: what the trellis read (TrellisReading), with the timing and
/// levels it read with, which the next pass refines.
struct ReadingPass {
    TrellisReading frame;
    KeyingTiming timing;
    LevelTrack levels;
};

/// Reads the frame again with the timing fitted to the reading before and levels
/// followed along it, while a reading comes out.
void readAgain(const CumulativeBaseband& sums, const KeyingTiming& prefix, double limit,
               ReadingPass& reading) {
    for (int r = 1; r < kReadings; ++r) {
        KeyingTiming timing =
            fitFrame(sums, reading.frame, reading.timing, reading.levels.meanNoise());
        timing.weight =
            likeliestWeight(sums, laidOut(reading.frame, timing), timing, reading.levels);
        LevelTrack levels = readingLevels(sums, reading.frame, timing, limit);
        TrellisReading next =
            read(sums, prefix, timing, levels, limit, refinedSlack(levels, r + 1 == kReadings));
        if (!next.path.complete) {
            return;
        }
        reading = {std::move(next), timing, std::move(levels)};
    }
}

/// Where the audio tells the character of payload slot `k` from the longer ones that
/// begin as it does.
double toldAt(const ReadingPass& reading, std::size_t k) {
    const PlacedCharacter& placed = reading.frame.characters[kPrefixCharacters + k];
    const Slot& slot = FrameLayout::instance().slots()[k];
    return placed.start + unitsToTell(slot, placed.keying->character, reading.levels.fading()) *
                              reading.timing.unit;
}

/// Where the signal is lost for the rest of the frame, the last character heard may
/// have been the beginning of a longer one whose last elements went with it ("B" heard
/// as "D"): it is in doubt as at the end of a recording. Where the recording itself ends
/// before the frame does, the end of the audio tells that already. Where the signal comes
/// back for a next frame, the unread end was a fade, and doubting one more character
/// there costs many more unread ones than it saves wrong ones. Unread are the characters
/// in doubt and those read by less than `minimumMargin`.
void doubtBeforeTheSignalIsLost(const CumulativeBaseband& sums, const ReadingPass& reading,
                                double minimumMargin, std::vector<bool>& doubtful) {
    if (toldAt(reading, kPayloadSlots - 1) > static_cast<double>(sums.size() - 1)) {
        return;
    }
    std::size_t lost = kPayloadSlots;
    while (lost > 0 &&
           (doubtful[lost - 1] || reading.frame.path.margins[lost - 1] < minimumMargin)) {
        --lost;
    }
    if (lost == 0 || lost == kPayloadSlots) {
        return;
    }
    const std::size_t last = lost - 1;
    doubtful[last] = longestGoingOn(FrameLayout::instance().slots()[last],
                                    reading.frame.path.characters[last]) > 0;
}

/// The characters in doubt: those the signal does not vouch for, those that a reading
/// leaving the timing more freedom (a tick more than the last reading has) reads otherwise
/// (they rest on where a fade or the noise let the timing slip), and, where the signal
/// fades, those it reads by less than `agreeBy`; where it fades from mark to mark, also
/// seldom sent ones that a trough cutting a dash in two makes of usual ones: the
/// likelihoods cannot tell a dash with its middle in a deep trough from two dots (a slow
/// fade takes a dash down with its neighbours, never its middle alone). Under fading, a
/// character read only narrowly with that freedom is written wrong about as often as one
/// read otherwise (see the wrong characters of orvinta-cw-bench's fading runs).
std::vector<bool> doubts(const CumulativeBaseband& sums, const KeyingTiming& prefix, double limit,
                         double agreeBy, const ReadingPass& reading) {
    std::vector<bool> doubtful = doubtfulCharacters(
        sums, reading.levels, stretchesOf(reading.frame.characters, reading.timing),
        reading.timing.unit);
    const bool troughs = reading.levels.fadesFromMarkToMark();
    // A character is known only once the audio shows that no element follows its last:
    // where a recording ends before that, a longer one may have been sent.
    const auto held = static_cast<double>(sums.size() - 1);
    const TrellisReading freer =
        read(sums, prefix, reading.timing, reading.levels, limit, kLaterSlack + kFreerSlack);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const char c = reading.frame.path.characters[k];
        // The freer reading's margin for this character: negative where it reads another.
        const double freerFor =
            freer.path.characters[k] == c ? freer.path.margins[k] : -freer.path.margins[k];
        doubtful[k] = doubtful[k] || toldAt(reading, k) > held ||
                      (freer.path.complete && freerFor < agreeBy) ||
                      (troughs && troughCouldMake(FrameLayout::instance().slots()[k], c));
    }
    return doubtful;
}

/// The first reading: levels from the signal and the prefix, the keyer's weight from the
/// prefix, the trellis with the prefix's timing.
ReadingPass firstReading(const CumulativeBaseband& sums, const KeyingTiming& timing, double limit) {
    ReadingPass reading{{}, timing, blindLevels(sums, timing, limit)};
    reading.timing.weight = likeliestWeight(sums, prefixAt(timing), timing, reading.levels);
    reading.frame = read(sums, timing, reading.timing, reading.levels, limit, kFirstSlack);
    return reading;
}

/// Where the reading put each payload character's start and its last mark's end.
void notePlacement(const ReadingPass& reading, FrameReadout& result) {
    const std::vector<PlacedCharacter>& characters = reading.frame.characters;
    for (std::size_t k = kPrefixCharacters; k < characters.size(); ++k) {
        result.starts.push_back(characters[k].start);
    }
    const PlacedCharacter& last = characters.back();
    result.endSample =
        last.start + (last.keying->length + reading.timing.weight) * reading.timing.unit;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        result.toldAt = std::max(result.toldAt, toldAt(reading, k));
    }
}

/// The first reading again with the unit `factor` times as long, the payload starting
/// where it did.
ReadingPass firstReadingAtSpeed(const CumulativeBaseband& sums, const KeyingTiming& prefix,
                                const ReadingPass& first, double factor, double limit) {
    const Place payload = FrameLayout::instance().payloadStart();
    ReadingPass reading{{}, first.timing, first.levels};
    reading.timing.unit *= factor;
    reading.timing.start += first.timing.at(payload) - reading.timing.at(payload);
    reading.frame = read(sums, prefix, reading.timing, reading.levels, limit, kFirstSlack);
    return reading;
}

/// The key correlation of a reading.
double matchOf(const CumulativeBaseband& sums, const ReadingPass& reading) {
    return placedCorrelation(sums, reading.frame.characters, reading.timing,
                             reading.levels.meanNoise());
}

/// Where slot `k`'s character stands in a written line: after the prefix, the characters
/// before it and a space for each word gap before it.
std::size_t linePosition(std::size_t k) {
    const auto& slots = FrameLayout::instance().slots();
    const auto spaces = std::count_if(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(k),
                                      [](const Slot& slot) { return slot.wordGapAfter; });
    return kFramePrefix.size() + k + static_cast<std::size_t>(spaces);
}

/// Doubts, in `doubtful`, the characters of `reading` that the line `before` left unread,
/// unless their margin is kSecondOpinion times `minimumMargin`.
void doubtAgainst(const FrameReadout& before, const ReadingPass& reading, double minimumMargin,
                  std::vector<bool>& doubtful) {
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        doubtful[k] =
            doubtful[k] || (before.text[linePosition(k)] == '?' &&
                            reading.frame.path.margins[k] < kSecondOpinion * minimumMargin);
    }
}

/// Refines the first reading and writes the line; a character that the line `before`, read
/// at another speed, left unread needs a wider margin.
FrameReadout finishReading(const CumulativeBaseband& sums, double rate, const KeyingTiming& prefix,
                           double limit, const ReadSettings& settings, ReadingPass reading,
                           const FrameReadout* before = nullptr) {
    FrameReadout result;
    readAgain(sums, prefix, limit, reading);
    reading.levels = readingLevels(sums, reading.frame, reading.timing, limit);
    const double minimumMargin = leastMargin(reading.levels, rate, settings);
    std::vector<bool> doubtful =
        doubts(sums, prefix, limit, freerMargin(reading.levels, rate, minimumMargin), reading);
    if (before != nullptr) {
        doubtAgainst(*before, reading, minimumMargin, doubtful);
    }
    if (!settings.nextFrameHeard) {
        doubtBeforeTheSignalIsLost(sums, reading, minimumMargin, doubtful);
    }
    writeLine(reading.frame, doubtful, minimumMargin, result);
    const LevelTrack& levels = reading.levels;
    result.timing = fitFrame(sums, reading.frame, reading.timing, levels.meanNoise());
    result.match = matchOf(sums, reading);
    notePlacement(reading, result);
    result.snrDb = snrDb(levels, rate);
    return result;
}

/// Writes into `kept`'s unread characters those that `other`, the reading at another
/// speed, wrote in the same place (with kSecondOpinion times the least margin, as `kept`
/// left them unread).
void fillIn(const FrameReadout& other, FrameReadout& kept) {
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const std::size_t i = linePosition(k);
        const bool samePlace =
            std::abs(other.starts[k] - kept.starts[k]) < kSamePlaceUnits * kept.timing.unit;
        if (kept.text[i] == '?' && other.text[i] != '?' && samePlace) {
            kept.text[i] = other.text[i];
            kept.margins[k] = other.margins[k];
            kept.confidence *= chanceRight(other.margins[k]);
            --kept.unreadable;
        }
    }
}

} // namespace

double chanceRight(double margin) {
    constexpr double kMarginScale = 1.25;
    return 1.0 / (1.0 + std::exp(-margin / kMarginScale));
}

FrameReadout placeFrame(const CumulativeBaseband& sums, const KeyingTiming& timing, double limit) {
    FrameReadout result;
    const ReadingPass reading = firstReading(sums, timing, limit);
    result.timing = reading.timing;
    if (!reading.frame.path.complete) {
        return result;
    }
    writeLine(reading.frame, std::vector<bool>(kPayloadSlots, false),
              -std::numeric_limits<double>::infinity(), result);
    notePlacement(reading, result);
    return result;
}

/// Writes every character of `reading` as "?".
void doubtEverything(FrameReadout& reading) {
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        reading.text[linePosition(k)] = '?';
    }
    reading.unreadable = kPayloadSlots;
    reading.confidence = 1.0;
}

FrameReadout readFrame(const CumulativeBaseband& sums, double rate, const KeyingTiming& timing,
                       double limit, const ReadSettings& settings) {
    const ReadingPass reading = firstReading(sums, timing, limit);
    if (!reading.frame.path.complete) {
        return {};
    }
    const double match = matchOf(sums, reading);
    if (match < settings.giveUpBelow) {
        FrameReadout result;
        result.match = match;
        return result;
    }
    FrameReadout result = finishReading(sums, rate, timing, limit, settings, reading);
    const double inStep = prefixCorrelation(sums, timing, reading.levels.meanNoise()) - kOutOfStep;
    if (result.unreadable < kUnreadToRetry && result.match >= inStep) {
        return result;
    }
    // The other speeds are judged on their first readings, by the key correlation; only
    // the best is read to the end, and kept if it fits the signal better still.
    std::optional<ReadingPass> atOtherSpeed;
    double best = match;
    for (const double factor : kOtherUnits) {
        ReadingPass other = firstReadingAtSpeed(sums, timing, reading, factor, limit);
        const double otherMatch = other.frame.path.complete ? matchOf(sums, other) : best;
        if (otherMatch > best) {
            best = otherMatch;
            atOtherSpeed = std::move(other);
        }
    }
    if (atOtherSpeed) {
        FrameReadout other =
            finishReading(sums, rate, timing, limit, settings, *atOtherSpeed, &result);
        if (other.match > result.match) {
            result = std::move(other);
        } else {
            fillIn(other, result);
        }
    }
    if (result.match < inStep) {
        doubtEverything(result);
    }
    return result;
}

} // namespace orvinta::cw
