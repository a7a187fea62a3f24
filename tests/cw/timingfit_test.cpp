// SPDX-License-Identifier: GPL-3.0-or-later
// The timing fit alone: a keyer's start, unit and gaps from where characters start, and
// the search that refines a timing on a rating.
#include "cw/model/timingfit.h"

#include "tests/cw/handkeyed.h"
#include "tests/support/sampleline.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <vector>

namespace orvinta::cw {
namespace {

using handkeyed::PlacedText;

struct KeyerCase {
    const char* name;
    KeyingTiming keyed;
    double fittedCharacterGap; ///< as keyed, or the nearest that keyers use
    double fittedWordGap;
};

void PrintTo(const KeyerCase& c, std::ostream* os) {
    *os << c.name;
}

class WholeFrameFitTest : public ::testing::TestWithParam<KeyerCase> {};

TEST_P(WholeFrameFitTest, RecoversTheKeyersTimingFromAFramesStarts) {
    // Each start as measured on a signal: up to a tenth of a unit off.
    const KeyingTiming& keyed = GetParam().keyed;
    const PlacedText frame(test::kSampleLine);
    std::mt19937 random(31);
    std::uniform_real_distribution<double> jitter(-0.1 * keyed.unit, 0.1 * keyed.unit);
    std::vector<double> starts;
    for (const Place& p : frame.places) {
        starts.push_back(keyed.at(p) + jitter(random));
    }
    const KeyingTiming fallback = {0.0, 1.0, 0.15, 3.0, 7.0};
    const KeyingTiming fitted = timingThrough(frame.places, starts, fallback);
    EXPECT_NEAR(fitted.unit / keyed.unit, 1.0, 0.002);
    EXPECT_NEAR(fitted.start, keyed.start, 0.1 * keyed.unit);
    EXPECT_NEAR(fitted.characterGap, GetParam().fittedCharacterGap, 0.05);
    EXPECT_NEAR(fitted.wordGap, GetParam().fittedWordGap, 0.05);
    EXPECT_EQ(fitted.weight, fallback.weight) << "the starts cannot tell the weight";
}

INSTANTIATE_TEST_SUITE_P(
    Keyers, WholeFrameFitTest,
    ::testing::Values(KeyerCase{"Nominal_20_wpm", {1234.5, 24.0, 0.0, 3.0, 7.0}, 3.0, 7.0},
                      KeyerCase{
                          "Gaps_1_6_times_at_8_wpm", {1234.5, 60.0, 0.0, 4.8, 11.2}, 4.8, 11.2},
                      KeyerCase{"Tight_gaps_at_30_wpm", {1234.5, 16.0, 0.0, 2.7, 6.5}, 2.7, 6.5},
                      KeyerCase{"Gaps_longer_than_keyers_use",
                                {1234.5, 24.0, 0.0, 7.0, 15.0},
                                kLongestCharacterGap,
                                kLongestWordGap},
                      KeyerCase{"Gaps_shorter_than_keyers_use",
                                {1234.5, 24.0, 0.0, 2.0, 5.0},
                                kShortestCharacterGap,
                                kShortestWordGap}),
    test::PrintedName());

TEST(TimingFitTest, FitsThePrefixsGapsAndStartForTheUnitGiven) {
    // The prefix check tries units around the lane's: with the true one, the prefix's
    // starts give its gaps and start exactly.
    const KeyingTiming keyed = {812.25, 31.0, 0.0, 3.9, 8.4};
    const std::vector<Place>& places = FrameLayout::instance().prefixPlaces();
    std::vector<double> starts;
    for (const Place& p : places) {
        starts.push_back(keyed.at(p));
    }
    const KeyingTiming fitted = timingThrough(places, starts, KeyingTiming{}, keyed.unit);
    EXPECT_NEAR(fitted.start, keyed.start, 1e-6);
    EXPECT_NEAR(fitted.characterGap, keyed.characterGap, 1e-6);
    EXPECT_NEAR(fitted.wordGap, keyed.wordGap, 1e-6);
}

TEST(RefineTimingTest, FindsARatingsPeakBetweenItsFirstSteps) {
    // A rating that peaks off the first grid: each round looks closer, so that the
    // peak is found within the last round's step.
    constexpr double kUnit = 24.0;
    constexpr double kBestMiddle = 1003.3;
    constexpr double kBestUnit = 24.41;
    const Place pivot = FrameLayout::instance().prefixPlaces()[5];
    PivotedTiming timing(KeyingTiming{0.0, kUnit, 0.0, 3.0, 7.0}, pivot);
    timing.middle = 1000.0;
    const auto rating = [&](const PivotedTiming& t) {
        return -std::pow(t.middle - kBestMiddle, 2.0) - 100.0 * std::pow(t.unit - kBestUnit, 2.0);
    };
    const double best = refineTiming<PivotedTiming>(
        rating,
        {{&PivotedTiming::middle, 0.5 * kUnit, kUnit / 16.0}, {&PivotedTiming::unit, 0.72, 0.06}},
        3, timing);
    EXPECT_NEAR(timing.middle, kBestMiddle, kUnit / 16.0 / 16.0);
    EXPECT_NEAR(timing.unit, kBestUnit, 0.06 / 16.0);
    EXPECT_DOUBLE_EQ(best, rating(timing));
    // The unit stretches the timing about the pivot: the pivot stays where it was found.
    EXPECT_NEAR(timing.keying(pivot).at(pivot), timing.middle, 1e-9);
}

} // namespace
} // namespace orvinta::cw
