// SPDX-License-Identifier: GPL-3.0-or-later
// The frame search alone: where "E LUSAT HI HI" starts in a keyed line's baseband, and
// at what speed, before any check.
#include "cw/audio/noisefloor.h"
#include "cw/search/prefixsearch.h"

#include "keyer/keyedsignal.h"
#include "tests/cw/handkeyed.h"
#include "tests/support/sampleline.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>

namespace orvinta::cw {
namespace {

using handkeyed::Baseband;
using handkeyed::PlacedText;

/// The speeds the decoder searches by default.
constexpr double kSearchSlowestWpm = 8.0;
constexpr double kSearchFastestWpm = 30.0;
/// Silence before and after the keyed line, in seconds: more than the search's leading
/// silence at the slowest speed.
constexpr double kSearchLeadSeconds = 3.0;
constexpr double kSearchTailSeconds = 2.0;

/// Every candidate the search finds in `baseband`, its noise followed as the decoder does.
std::vector<PrefixCandidate> searchAll(const Baseband& baseband) {
    NoiseFloor floor(handkeyed::kRate);
    const std::vector<std::complex<float>> samples(baseband.begin(), baseband.end());
    floor.push(samples.data(), samples.size());
    PrefixSearch search(handkeyed::unitAt(kSearchFastestWpm), handkeyed::unitAt(kSearchSlowestWpm));
    std::vector<PrefixCandidate> found;
    search.advance(handkeyed::cumulative(baseband), 0, floor, found);
    return found;
}

/// `text` keyed with `timing` at `amplitude` in noise of power 1, with silence around it.
Baseband keyedLine(const PlacedText& text, const KeyingTiming& timing, double amplitude,
                   unsigned seed) {
    const double end = timing.at(text.places.back(), text.keyings.back().length);
    Baseband baseband(static_cast<std::size_t>(end + kSearchTailSeconds * handkeyed::kRate));
    handkeyed::keyMarks(baseband, text.at(timing), timing, [&](std::size_t) { return amplitude; });
    handkeyed::addNoise(baseband, 1.0, seed);
    return baseband;
}

struct SearchCase {
    const char* name;
    double wpm;
    double amplitude; ///< over noise of power 1 a sample
    double characterGap;
    double wordGap;
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.name;
}

class PrefixSearchFindsTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(PrefixSearchFindsTest, FindsThePrefixWhereAndAsFastAsItIsKeyed) {
    const SearchCase& row = GetParam();
    const PlacedText line(test::kSampleLine);
    KeyingTiming timing;
    timing.unit = handkeyed::unitAt(row.wpm);
    timing.start = kSearchLeadSeconds * handkeyed::kRate + 0.37;
    timing.characterGap = row.characterGap;
    timing.wordGap = row.wordGap;
    const std::vector<PrefixCandidate> found = searchAll(keyedLine(line, timing, row.amplitude, 3));
    // Lanes at other speeds find the prefix too, or match a part of it elsewhere (the
    // last "HI" on the payload's first characters): the check sorts those out.
    ASSERT_FALSE(found.empty());
    const PrefixCandidate& best = *std::max_element(
        found.begin(), found.end(),
        [](const PrefixCandidate& a, const PrefixCandidate& b) { return a.score < b.score; });
    // Within half a lane's step of the speed, each character within a unit of its start.
    EXPECT_NEAR(best.unit / timing.unit, 1.0, 0.05);
    for (std::size_t j = 0; j < kPrefixCharacters; ++j) {
        EXPECT_NEAR(best.starts[j], timing.at(line.places[j]), timing.unit) << "character " << j;
    }
    EXPECT_GT(best.agreement, 0.8);
}

INSTANTIATE_TEST_SUITE_P(
    Keyings, PrefixSearchFindsTest,
    ::testing::Values(SearchCase{"Clear_20_wpm", 20.0, 2.0, 3.0, 7.0},
                      SearchCase{"Clear_29_wpm", 29.0, 2.0, 3.0, 7.0},
                      SearchCase{"Gaps_stretched_by_1_6_at_9_wpm", 9.0, 2.0, 4.8, 11.2},
                      SearchCase{"Weak_between_two_lanes", 14.3, 0.6, 3.0, 7.0}),
    test::PrintedName());

TEST(PrefixSearchTest, FindsNothingInNoiseOrInOtherText) {
    const Baseband noise = [] {
        Baseband b(static_cast<std::size_t>(60.0 * handkeyed::kRate));
        handkeyed::addNoise(b, 1.0, 11);
        return b;
    }();
    EXPECT_TRUE(searchAll(noise).empty());
    // A strong contact, "HI HI" among its words, keyed as exactly as a prefix would be.
    std::mt19937 random(4);
    const PlacedText contact(keyer::randomContactText(random, 30));
    KeyingTiming timing;
    timing.unit = handkeyed::unitAt(20.0);
    timing.start = kSearchLeadSeconds * handkeyed::kRate;
    EXPECT_TRUE(searchAll(keyedLine(contact, timing, 2.0, 12)).empty());
}

} // namespace
} // namespace orvinta::cw
