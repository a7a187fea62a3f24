// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/framedecoder.h"

#include "cw/morse.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

constexpr const char* kFrame = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
constexpr double kRate = 400.0;

/// Baseband of `text` keyed with units of `unitSamples` after a word gap starting at
/// sample `start`, with complex noise of unit power per sample; units in
/// [mutedFrom, mutedTo) carry no signal.
CumulativeBaseband keyedBaseband(const std::string& text, double start, double unitSamples,
                                 double amplitude, unsigned seed, int mutedFrom = 0,
                                 int mutedTo = 0) {
    std::vector<bool> units(kWordGapUnits, false);
    const std::vector<bool> keyed = keyUnits(text);
    units.insert(units.end(), keyed.begin(), keyed.end());
    const auto count =
        static_cast<std::size_t>(start + (static_cast<double>(units.size()) + 40.0) * unitSamples);
    std::mt19937 random(seed);
    std::normal_distribution<double> gauss(0.0, std::sqrt(0.5));
    CumulativeBaseband sums(count + 1);
    for (std::size_t n = 0; n < count; ++n) {
        const double unit = (static_cast<double>(n) - start) / unitSamples;
        const bool down = unit >= 0.0 && unit < static_cast<double>(units.size()) &&
                          units[static_cast<std::size_t>(unit)] &&
                          !(unit >= mutedFrom && unit < mutedTo);
        // The carrier turns slowly, as a small residual tone offset makes it.
        const std::complex<double> carrier = std::polar(
            amplitude, 0.3 + 2.0 * 3.14159265358979 * 0.5 * static_cast<double>(n) / kRate);
        sums[n + 1] =
            sums[n] + (down ? carrier : 0.0) + std::complex<double>(gauss(random), gauss(random));
    }
    return sums;
}

TEST(FrameLayoutTest, KnowsTheFrameInUnits) {
    const FrameLayout& layout = FrameLayout::instance();
    // Word gap, 89 units of "E LUSAT HI HI", word gap.
    EXPECT_EQ(layout.payloadStart(), 7 + 89 + 7);
    EXPECT_EQ(layout.prefixUnits().size(), 103U);
    EXPECT_FALSE(layout.prefixUnits()[6]);
    EXPECT_TRUE(layout.prefixUnits()[7]);
    // Shortest: "0" (9 units as "5"), "E", then eight groups "EEE".
    EXPECT_EQ(layout.shortestPayload(), (9 + 3) + (1 + 7) + 8 * (1 + 3 + 1 + 3 + 1) + 7 * 7 - 0);
    // Longest: a digit of 19 units, a letter of 13, channel digits of 19.
    EXPECT_EQ(layout.longestPayload(), (19 + 3) + (13 + 7) + 8 * (3 * 19 + 2 * 3) + 7 * 7);
    EXPECT_EQ(layout.longestFrame(), layout.payloadStart() + layout.longestPayload());
}

class LogBesselTest : public ::testing::TestWithParam<double> {};

TEST_P(LogBesselTest, MatchesTheLibrary) {
    const double x = GetParam();
    EXPECT_NEAR(logBesselI0(x), std::log(std::cyl_bessel_i(0.0, x)), 1e-9 * (1.0 + x));
    EXPECT_DOUBLE_EQ(logBesselI0(-x), logBesselI0(x));
}

INSTANTIATE_TEST_SUITE_P(Arguments, LogBesselTest,
                         ::testing::Values(0.0, 1e-3, 0.5, 2.0, 9.9, 14.99, 15.0, 30.0, 200.0),
                         test::PrintedName());

TEST(LogBesselTest, StaysFiniteForHugeArguments) {
    EXPECT_NEAR(logBesselI0(1e6), 1e6 - 0.5 * std::log(2.0 * 3.14159265358979 * 1e6), 1e-3);
}

struct ReadCase {
    double unitSamples;
    double amplitude; ///< per sample, against noise of unit power
    double startOffset;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << "unit " << c.unitSamples << " amplitude " << c.amplitude << " offset " << c.startOffset;
}

class ReadFrameTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadFrameTest, ReadsAFrameAtKnownTiming) {
    const auto [unit, amplitude, offset] = GetParam();
    const CumulativeBaseband sums = keyedBaseband(kFrame, 100.0, unit, amplitude, 1);
    const FrameReading reading =
        readFrame(sums, kRate, 100.0 + offset, unit * 1.001, 2000, 0.003, 1.0);
    EXPECT_EQ(reading.text, kFrame);
    EXPECT_EQ(reading.unreadable, 0U);
    EXPECT_NEAR(reading.unitSamples, unit, 0.002 * unit);
    EXPECT_NEAR(reading.firstUnitSample, 100.0 + 7.0 * unit, 2.5);
    EXPECT_GT(reading.match, 0.8);
    // Signal energy per unit amplitude^2 unit^2, noise unit per sample, in 3 kHz.
    const double snr = amplitude * amplitude * unit / (3000.0 * unit / kRate);
    EXPECT_NEAR(reading.snrDb, 10.0 * std::log10(snr), 1.5);
}

INSTANTIATE_TEST_SUITE_P(Timings, ReadFrameTest,
                         ::testing::Values(ReadCase{16.0, 1.2, 0.0}, ReadCase{24.3, 1.0, 2.0},
                                           ReadCase{40.0, 0.8, -2.0}, ReadCase{60.0, 0.7, 1.0}),
                         test::PrintedName());

TEST(ReadFrameTest, GivesUnheardCharactersAsQuestionMarks) {
    // The second group ("ABA") loses its signal: it comes out as "???"; no character
    // is guessed wrong, and the groups further on are read.
    const std::vector<bool> before = keyUnits("E LUSAT HI HI 6O AVT");
    const int groupStart = kWordGapUnits + static_cast<int>(before.size()) + kWordGapUnits;
    const int groupEnd = groupStart + static_cast<int>(keyUnits("ABA").size());
    const CumulativeBaseband sums = keyedBaseband(kFrame, 50.0, 20.0, 1.0, 2, groupStart, groupEnd);
    const FrameReading reading = readFrame(sums, kRate, 50.0, 20.0, 2000, 0.003, 1.0);
    const std::string truth = kFrame;
    ASSERT_EQ(reading.text.size(), truth.size());
    EXPECT_EQ(reading.text.substr(0, 25), "E LUSAT HI HI 6O AVT ??? ");
    EXPECT_EQ(reading.text.substr(28), truth.substr(28));
    for (std::size_t i = 0; i < truth.size(); ++i) {
        EXPECT_TRUE(reading.text[i] == truth[i] || reading.text[i] == '?') << i;
    }
}

TEST(ReadFrameTest, GivesCharactersPastTheDataAsQuestionMarks) {
    CumulativeBaseband sums = keyedBaseband(kFrame, 50.0, 20.0, 1.0, 3);
    const FrameReading whole = readFrame(sums, kRate, 50.0, 20.0, 2000, 0.003, 1.0);
    EXPECT_EQ(whole.text, kFrame);
    // The recording ends 100 units into the payload, in the group after "ABA".
    sums.resize(
        static_cast<std::size_t>(50.0 + (FrameLayout::instance().payloadStart() + 100) * 20.0));
    const FrameReading cut = readFrame(sums, kRate, 50.0, 20.0, 2000, 0.003, 1.0);
    EXPECT_EQ(cut.text.substr(0, 24), "E LUSAT HI HI 6O AVT ABA");
    EXPECT_EQ(cut.text.substr(cut.text.size() - 11), "??? ??? ???");
    EXPECT_GT(cut.unreadable, 12U);
}

TEST(ReadFrameTest, GivesUpOnNoise) {
    const CumulativeBaseband sums = keyedBaseband(kFrame, 50.0, 20.0, 0.0, 4);
    const FrameReading reading = readFrame(sums, kRate, 50.0, 20.0, 2000, 0.003, 1.0, 0.37);
    EXPECT_TRUE(reading.text.empty());
    EXPECT_LT(reading.match, 0.37);
}

} // namespace
} // namespace orvinta::cw
