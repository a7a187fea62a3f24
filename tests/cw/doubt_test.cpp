// SPDX-License-Identifier: GPL-3.0-or-later
// The doubt rules alone: which payload characters of a frame read where it was keyed the
// signal does not vouch for.
#include "cw/reading/doubt.h"

#include "cw/model/timingfit.h"
#include "tests/cw/handkeyed.h"
#include "tests/support/sampleline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace orvinta::cw {
namespace {

using handkeyed::Baseband;
using handkeyed::PlacedText;

/// 20 wpm, 17 dB over the noise in a unit: every character clear.
constexpr double kDoubtUnit = 24.0;
constexpr double kDoubtAmplitude = 1.5;
constexpr double kDoubtLeadSamples = 400.0;
/// The log-likelihood ratio beyond which the signal contradicts a character.
constexpr double kContradiction = 6.0;

/// The sample line keyed where it is read, with what the signal does to it.
struct KeyedFrame {
    PlacedText line{test::kSampleLine};
    KeyingTiming timing{kDoubtLeadSamples, kDoubtUnit, 0.0, 3.0, 7.0};
    std::vector<PlacedCharacter> characters = line.at(timing);
    std::vector<KeyedStretch> stretches =
        keyedStretches(characters, timing.unit, timing.weight, timing.wordGap, timing.wordGap);
    Baseband baseband = Baseband(static_cast<std::size_t>(stretches.back().to + kDoubtUnit));

    /// Keys the frame, the payload slots from `silentFrom` up to `silentTo` left out.
    void key(std::size_t silentFrom, std::size_t silentTo) {
        handkeyed::keyMarks(baseband, characters, timing, [&](std::size_t i) {
            const bool silent =
                i >= kPrefixCharacters + silentFrom && i < kPrefixCharacters + silentTo;
            return silent ? 0.0 : kDoubtAmplitude;
        });
    }

    /// The middle of the three unit-long spaces in the character gap after `slot`.
    const KeyedStretch& middleOfGapAfter(std::size_t slot) const {
        std::size_t last = 0;
        for (std::size_t i = 0; i < stretches.size(); ++i) {
            last = stretches[i].character == static_cast<int>(kPrefixCharacters + slot) ? i : last;
        }
        return stretches[last + 2];
    }
};

/// The levels along the frame as a reading learns them from its marks and spaces.
LevelTrack levelsAlong(const CumulativeBaseband& sums, const std::vector<KeyedStretch>& stretches,
                       double unit) {
    LevelTrack levels(stretches.front().from, stretches.back().to, unit / 2.0);
    for (const KeyedStretch& s : stretches) {
        const double energy = stretchEnergy(sums, s.from, s.to);
        if (s.down) {
            levels.addMark(s.from, s.to, energy);
        } else {
            levels.addSpace(s.from, s.to, energy, s.edge);
        }
    }
    levels.follow(unit);
    levels.followCarrier(sums, unit);
    return levels;
}

/// The payload slots in doubt.
std::vector<std::size_t> slotsInDoubt(const std::vector<bool>& doubtful) {
    std::vector<std::size_t> slots;
    for (std::size_t k = 0; k < doubtful.size(); ++k) {
        if (doubtful[k]) {
            slots.push_back(k);
        }
    }
    return slots;
}

/// The payload slots that `frame`, in noise from `seed`, leaves in doubt, judged by
/// the levels along it; and the agreement of `space` with being one.
std::vector<std::size_t> doubtsOf(KeyedFrame& frame, unsigned seed, const KeyedStretch& space = {},
                                  double* spaceAgreement = nullptr) {
    handkeyed::addNoise(frame.baseband, 1.0, seed);
    const CumulativeBaseband sums = handkeyed::cumulative(frame.baseband);
    const LevelTrack levels = levelsAlong(sums, frame.stretches, kDoubtUnit);
    if (spaceAgreement != nullptr) {
        *spaceAgreement = agreement(sums, levels, space.from, space.to, false, kDoubtUnit / 8.0);
    }
    return slotsInDoubt(doubtfulCharacters(sums, levels, frame.stretches, kDoubtUnit));
}

TEST(DoubtRulesTest, DoubtsACharacterExactlyWhereACarrierInItsGapContradictsIt) {
    // A carrier ever stronger in the middle of the gap after slot 9 ("U" of "AU4"): the
    // character turns doubtful just where the gap's evidence passes the threshold, as
    // another character's mark keyed there would, and no other character with it.
    constexpr std::size_t kSlot = 9;
    int doubted = 0;
    int vouched = 0;
    for (const double share : {0.0, 0.5, 0.7, 0.75, 0.8, 0.9}) {
        KeyedFrame frame;
        frame.key(0, 0);
        const KeyedStretch gap = frame.middleOfGapAfter(kSlot);
        handkeyed::key(frame.baseband, gap.from, gap.to, share * kDoubtAmplitude);
        double spaceAgreement = 0.0;
        const std::vector<std::size_t> doubts = doubtsOf(frame, 42, gap, &spaceAgreement);
        const bool contradicted = spaceAgreement < -kContradiction;
        EXPECT_EQ(doubts,
                  contradicted ? std::vector<std::size_t>{kSlot} : std::vector<std::size_t>{})
            << "carrier at " << share << " of the marks', agreement " << spaceAgreement;
        (contradicted ? doubted : vouched) += 1;
    }
    EXPECT_GT(doubted, 0);
    EXPECT_GT(vouched, 0);
}

TEST(DoubtRulesTest, DoubtsTheCharactersAfterTheSignalHasFadedAway) {
    // The signal gone from slot 21 on, as at a frame's end in a deep fade: the levels
    // fall toward nothing and no character there shows its marks, whatever the reading.
    constexpr std::size_t kGoneFrom = 21;
    KeyedFrame frame;
    frame.key(kGoneFrom, kPayloadSlots);
    const std::vector<std::size_t> doubts = doubtsOf(frame, 43);
    ASSERT_GE(doubts.size(), 4U);
    EXPECT_EQ(std::vector<std::size_t>(doubts.end() - 4, doubts.end()),
              (std::vector<std::size_t>{22, 23, 24, 25}));
    EXPECT_GE(doubts.front(), kGoneFrom);
}

// The levels follow the signal from the marks within about a unit, so they fall with the
// missing marks to some 10-20 % of the frame's at the first character whose marks are all
// gone: low enough that the missing marks no longer contradict it, so it must be doubted
// as faded away.
TEST(DoubtRulesTest, DoubtsTheFirstCharacterWhoseMarksAreGone) {
    // One character gone, and the signal gone from a character to the frame's end.
    for (const auto& [slot, goneTo] : {std::pair<std::size_t, std::size_t>{12, 13}, {21, 26}}) {
        KeyedFrame frame;
        frame.key(slot, goneTo);
        const std::vector<std::size_t> doubts = doubtsOf(frame, 41);
        EXPECT_NE(std::find(doubts.begin(), doubts.end(), slot), doubts.end()) << "slot " << slot;
    }
}

} // namespace
} // namespace orvinta::cw
