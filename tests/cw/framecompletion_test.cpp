// SPDX-License-Identifier: GPL-3.0-or-later
// Frame completion alone: when a reading of a frame still being keyed shows it complete,
// and when to read it again if not.
#include "cw/reading/framecompletion.h"

#include "cw/reading/framefit.h"
#include "tests/cw/handkeyed.h"
#include "tests/support/sampleline.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace orvinta::cw {
namespace {

using handkeyed::PlacedText;

/// Silence after a frame's last mark that shows it complete, in units.
constexpr double kSilenceUnits = 3.0;
/// The margin of a character read clearly, well above kClearMargin.
constexpr double kSureMargin = 10.0;

KeyingTiming completionTiming() {
    return {1000.0, 24.0, 0.1, 3.2, 7.4};
}

/// A reading of `line` keyed with `timing`: every character clear, the last told from
/// the longer ones beginning as it does a unit and a dot after its end.
FrameReadout readingOf(const std::string& line, const KeyingTiming& timing) {
    const PlacedText placed(line);
    FrameReadout reading;
    reading.text = line;
    reading.timing = timing;
    const std::size_t last = placed.places.size() - 1;
    reading.endSample = timing.at(placed.places[last], placed.keyings[last].length + timing.weight);
    reading.toldAt = reading.endSample + 2.0 * timing.unit;
    reading.margins.assign(kPayloadSlots, kSureMargin);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        reading.starts.push_back(timing.at(placed.places[kPrefixCharacters + k]));
    }
    return reading;
}

/// The earliest moment a reading of `reading`'s frame can show it complete.
double completeAt(const FrameReadout& reading) {
    return std::max(reading.endSample + kSilenceUnits * reading.timing.unit, reading.toldAt);
}

/// The line with the shortest character each payload slot may hold.
std::string shortestLine() {
    std::string line(kFramePrefix);
    for (const Slot& slot : FrameLayout::instance().slots()) {
        line += std::min_element(slot.characters.begin(), slot.characters.end(),
                                 [](const CharacterKeying& a, const CharacterKeying& b) {
                                     return a.length < b.length;
                                 })
                    ->character;
        line += slot.wordGapAfter ? " " : "";
    }
    return line;
}

/// Where payload slot `k` stands in a line as read: a blank between its words.
std::size_t positionInLine(std::size_t k) {
    const auto& slots = FrameLayout::instance().slots();
    const auto blanks = std::count_if(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(k),
                                      [](const Slot& slot) { return slot.wordGapAfter; });
    return kFramePrefix.size() + k + static_cast<std::size_t>(blanks);
}

struct CompletionCase {
    const char* name;
    double unitsAfterEnd; ///< baseband held beyond the last mark's end
    double toldUnitsAfterEnd;
    int slotInDoubt; ///< read as "?", or -1
    int slotFaint;   ///< read with a margin just short of clear, or -1
    bool ended;
    bool complete;
};

void PrintTo(const CompletionCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameCompletionTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(FrameCompletionTest, GivesOutAFrameOnlyEndedWithItsLastGroupClear) {
    const CompletionCase& row = GetParam();
    const KeyingTiming timing = completionTiming();
    FrameReadout reading = readingOf(test::kSampleLine, timing);
    reading.toldAt = reading.endSample + row.toldUnitsAfterEnd * timing.unit;
    if (row.slotInDoubt >= 0) {
        reading.text[positionInLine(static_cast<std::size_t>(row.slotInDoubt))] = '?';
    }
    if (row.slotFaint >= 0) {
        reading.margins[static_cast<std::size_t>(row.slotFaint)] =
            std::nextafter(kClearMargin, 0.0);
    }
    const double end = reading.endSample + row.unitsAfterEnd * timing.unit;
    EXPECT_EQ(frameEnded(reading, end), row.ended);
    EXPECT_EQ(frameComplete(reading, end), row.complete);
}

INSTANTIATE_TEST_SUITE_P(
    Readings, FrameCompletionTest,
    ::testing::Values(
        CompletionCase{"Three_units_of_silence_after_the_last_mark", 3.0, 2.0, -1, -1, true, true},
        CompletionCase{"Short_of_three_units", 2.99, 2.0, -1, -1, false, false},
        CompletionCase{"Longer_character_not_yet_told", 3.0, 3.5, -1, -1, false, false},
        CompletionCase{"Last_group_s_first_character_in_doubt", 3.0, 2.0, 23, -1, true, false},
        CompletionCase{"Character_before_the_last_group_in_doubt", 3.0, 2.0, 22, -1, true, true},
        CompletionCase{"Last_character_short_of_a_clear_margin", 3.0, 2.0, -1, 25, true, false}),
    test::PrintedName());

TEST(FrameCompletionTest, WaitsForTheShortestRestOfAFrameButNoLonger) {
    // The shortest frame, cut off where each of its payload characters starts: the next
    // reading comes exactly when that frame could first be complete, never later (the
    // decoder would give it out late) and never before the baseband has grown by a unit.
    const KeyingTiming timing = completionTiming();
    const FrameReadout shortest = readingOf(shortestLine(), timing);
    EXPECT_NEAR(firstChance(timing), completeAt(shortest), 1e-6);
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        const double end = shortest.starts[k];
        EXPECT_NEAR(nextChance(shortest, timing, end),
                    std::max(completeAt(shortest), end + timing.unit), 1e-6)
            << "cut before slot " << k;
    }
    // Any other frame lasts longer.
    const FrameReadout sample = readingOf(test::kSampleLine, timing);
    EXPECT_LT(firstChance(timing), completeAt(sample));
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        EXPECT_LE(nextChance(sample, timing, sample.starts[k]), completeAt(sample))
            << "cut before slot " << k;
    }
}

TEST(FrameCompletionTest, ReadsAFrameAgainAUnitToThreeOnUnlessItEndedInDoubt) {
    // Beyond the baseband a longer last character costs nothing: the reading's end may lie
    // too far, so a frame placed wholly in the baseband is read again at most three units
    // on. An unread frame is tried again a unit on; a frame that ended in doubt is left to
    // the reading up to the next frame.
    const KeyingTiming timing = completionTiming();
    const double u = timing.unit;
    EXPECT_FALSE(frameEnded(FrameReadout{}, 1e9));
    EXPECT_DOUBLE_EQ(nextChance(FrameReadout{}, timing, 5000.0), 5000.0 + u);
    FrameReadout reading = readingOf(test::kSampleLine, timing);
    const double afterLastStart = reading.starts.back() + 0.5 * u;
    EXPECT_DOUBLE_EQ(nextChance(reading, timing, afterLastStart), afterLastStart + 3.0 * u);
    const double nearlyEnded = completeAt(reading) - 0.5 * u;
    EXPECT_DOUBLE_EQ(nextChance(reading, timing, nearlyEnded), nearlyEnded + u);
    reading.margins.back() = 0.5;
    EXPECT_EQ(nextChance(reading, timing, completeAt(reading)),
              std::numeric_limits<double>::infinity());
}

} // namespace
} // namespace orvinta::cw
