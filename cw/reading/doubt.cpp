// SPDX-License-Identifier: GPL-3.0-or-later
#include "doubt.h"

#include "cw/model/framelayout.h"
#include "cw/model/timingfit.h"

#include <algorithm>

namespace orvinta::cw {
namespace {

/// A mark whose log-likelihood ratio is below minus this, or a space above it, shows
/// that the signal contradicts the character read: a drop-out, or a burst covering it.
constexpr double kContradiction = 6.0;
/// A timing is never exact: an element is judged where it agrees best within an eighth
/// of a unit.
constexpr double kTimingLeeway = 0.125;
/// A space beside a mark contradicts only when it holds a good share of that mark's
/// energy: a strong mark's edge leaks into it, a keyed mark fills it.
constexpr double kEdgeShare = 0.25;
/// Where the level followed falls below this share of the frame's mean (-5 dB) the
/// signal has faded away, and a character is heard only when its marks' log-likelihood
/// ratios add up to this much (the carrier some twenty times likelier there than not).
/// The level follows marks that are gone down within about a unit: at the first
/// character whose marks are all gone it is still some 10-20 % of the mean, where the
/// missing marks no longer contradict the character the noise explains best.
constexpr double kFadedAwayShare = 0.3;
constexpr double kHeardEvidence = 3.0;

std::size_t slotOf(int character) {
    return static_cast<std::size_t>(character) - kPrefixCharacters;
}

bool inPayload(int character) {
    return character >= static_cast<int>(kPrefixCharacters);
}

/// Whether the signal contradicts each payload character: a mark of it clearly missing,
/// or a mark clearly there in its gaps or the gap after it.
std::vector<bool> contradicted(const CumulativeBaseband& sums, const LevelTrack& levels,
                               const std::vector<KeyedStretch>& stretches, double unit) {
    std::vector<bool> result(kPayloadSlots, false);
    const std::vector<bool> loud = loudEnough(sums, stretches, kEdgeShare);
    int current = -1; // the character a space follows
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        const KeyedStretch& s = stretches[i];
        current = s.down ? s.character : current;
        if (inPayload(current) && loud[i] &&
            agreement(sums, levels, s.from, s.to, s.down, kTimingLeeway * unit) < -kContradiction) {
            result[slotOf(current)] = true;
        }
    }
    return result;
}

/// Whether each payload character was heard. Where the signal has faded away (a
/// drop-out, a frame's end) the level followed through it falls toward nothing and every
/// reading there is about as likely as any other: a character there must show its
/// carrier clearly.
std::vector<bool> heard(const CumulativeBaseband& sums, const LevelTrack& levels,
                        const std::vector<KeyedStretch>& stretches) {
    std::vector<double> evidence(kPayloadSlots, 0.0);
    std::vector<double> level(kPayloadSlots, 0.0);
    for (const KeyedStretch& s : stretches) {
        if (s.down && inPayload(s.character)) {
            evidence[slotOf(s.character)] += carrierEvidence(sums, levels, s.from, s.to);
            level[slotOf(s.character)] =
                std::max(level[slotOf(s.character)], levels.signal(0.5 * (s.from + s.to)));
        }
    }
    std::vector<bool> result(kPayloadSlots);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const bool fadedAway = level[k] < kFadedAwayShare * levels.meanSignal();
        result[k] = !fadedAway || evidence[k] >= kHeardEvidence;
    }
    return result;
}

} // namespace

std::vector<bool> doubtfulCharacters(const CumulativeBaseband& sums, const LevelTrack& levels,
                                     const std::vector<KeyedStretch>& stretches, double unit) {
    std::vector<bool> doubtful = contradicted(sums, levels, stretches, unit);
    const std::vector<bool> carried = heard(sums, levels, stretches);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        doubtful[k] = doubtful[k] || !carried[k];
    }
    return doubtful;
}

} // namespace orvinta::cw
