// SPDX-License-Identifier: GPL-3.0-or-later
// The reading's pieces on their own: the frame's layout, the likelihood of a stretch,
// the levels it is judged by, and the trellis that reads a payload from its evidence.
#include "cw/audio/carrierfit.h"
#include "cw/model/framelayout.h"
#include "cw/model/levels.h"
#include "cw/model/likelihood.h"
#include "cw/model/trellis.h"

#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <utility>

namespace orvinta::cw {
namespace {

TEST(FrameLayoutTest, PlacesThePrefixAndThePayload) {
    const FrameLayout& layout = FrameLayout::instance();
    // "E LUSAT HI HI": 10 characters, two word gaps inside; "E" is one unit long.
    ASSERT_EQ(layout.prefixPlaces().size(), 10U);
    EXPECT_EQ(layout.prefixPlaces()[1].units, 1);
    EXPECT_EQ(layout.prefixPlaces()[1].wordGaps, 1);
    // The payload follows the prefix's 89 - 2 * 7 - 5 * 3 units of marks a word gap on.
    const Place& payload = layout.payloadStart();
    EXPECT_EQ(payload.wordGaps, 4);
    EXPECT_EQ(payload.characterGaps, 6);
    EXPECT_EQ(payload.units + 3 * payload.characterGaps + 7 * payload.wordGaps, 89 + 7);
    // Block digit and status letter in one word, then eight groups of three.
    EXPECT_FALSE(layout.slots()[0].wordGapAfter);
    EXPECT_TRUE(layout.slots()[1].wordGapAfter);
    EXPECT_FALSE(layout.slots()[2].wordGapAfter);
    EXPECT_TRUE(layout.slots()[4].wordGapAfter);
}

TEST(FrameLayoutTest, TellsWhichSeldomSentCharactersATroughMakesOfUsualOnes) {
    const auto& slots = FrameLayout::instance().slots();
    const std::size_t block = 0;
    const std::size_t status = 1;
    const std::size_t channel = 2;
    struct Case {
        std::size_t slot;
        char c;
        bool couldBe;
    };
    for (const Case& t : {Case{channel, '5', true},   // "....." of "...-" (V) or "-..." (B)
                          Case{channel, 'V', false},  // usual itself
                          Case{channel, '7', false},  // "--..." joins to nothing usual
                          Case{status, 'X', true},    // "-..-" of "---" (O)
                          Case{status, 'Z', true},    // "--.." of "---" (O)
                          Case{status, 'H', false},   // "...." joins to S or D, not O
                          Case{block, '5', false}}) { // every digit is usual there
        EXPECT_EQ(troughCouldMake(slots[t.slot], t.c), t.couldBe) << t.c << " in slot " << t.slot;
    }
}

class LogBesselTest : public ::testing::TestWithParam<double> {};

TEST_P(LogBesselTest, MatchesTheLibrary) {
    const double x = GetParam();
    EXPECT_NEAR(logBesselI0(x), std::log(std::cyl_bessel_i(0.0, x)), 1e-9 * (1.0 + x));
    EXPECT_DOUBLE_EQ(logBesselI0(-x), logBesselI0(x));
}

INSTANTIATE_TEST_SUITE_P(Arguments, LogBesselTest,
                         ::testing::Values(0.0, 1e-3, 0.5, 2.0, 9.9, 11.99, 12.0, 29.99, 200.0),
                         test::PrintedName());

TEST(LikelihoodTest, TakesAMarksEdgeBesideItForASpace) {
    // A stretch beside a strong mark catches some per cent of its energy through the
    // channel filter: that is a space, however far above the noise it stands, even
    // where a few marks have faded to a fifth of their neighbours' level.
    constexpr double kLength = 24.0;
    constexpr double kSignal = 1e-3;
    constexpr double kNoise = 1e-5; // 20 dB per sample, 34 dB per mark
    const double mark = kSignal * kLength * kLength;
    EXPECT_GT(carrierLikelihood(mark, kLength, kSignal, kNoise), 100.0);
    FadeSpread fading;
    fading.weights = {0.97, 0.03, 0.0};
    EXPECT_LT(fadedCarrierLikelihood(0.08 * mark, kLength, kSignal, kNoise, fading), 0.0);
    EXPECT_GT(fadedCarrierLikelihood(mark, kLength, kSignal, kNoise, fading), 10.0);
}

TEST(LikelihoodTest, LetsAFadeExplainAMissingMark) {
    // Where the signal fades, a mark without energy counts less against its reading.
    constexpr double kLength = 24.0;
    constexpr double kSignal = 1e-3;
    constexpr double kNoise = 1e-4;
    FadeSpread steady;
    FadeSpread fading;
    fading.weights = {0.8, 0.1, 0.1};
    const double missing = kNoise * kLength;
    EXPECT_GT(fadedCarrierLikelihood(missing, kLength, kSignal, kNoise, fading),
              fadedCarrierLikelihood(missing, kLength, kSignal, kNoise, steady) + 5.0);
}

constexpr int kDotsUnit = 40;
constexpr int kDotsUnits = 80;
constexpr int kDotsSamples = kDotsUnits * kDotsUnit;

/// 80 units of 40 samples keyed as `keying` over and over ('=' a unit of key down, each
/// taken as a mark of its own; '.' a unit of key up), in a little noise, the carrier's
/// gain `gain(units)` along them, and the levels followed along them.
struct KeyedDots {
    std::string keying;
    CumulativeBaseband sums = CumulativeBaseband(kDotsSamples + 1);
    LevelTrack levels = LevelTrack(0.0, kDotsSamples, kDotsUnit / 2.0);

    bool down(std::size_t unit) const { return keying[unit % keying.size()] == '='; }

    explicit KeyedDots(const std::function<std::complex<double>(double)>& gain,
                       std::string keyedAs = "=.")
        : keying(std::move(keyedAs)) {
        std::mt19937 random(5);
        std::normal_distribution<double> noise(0.0, 0.05);
        for (std::size_t n = 0; n + 1 < sums.size(); ++n) {
            const double units = static_cast<double>(n) / kDotsUnit;
            sums[n + 1] = sums[n] + (down(n / kDotsUnit) ? gain(units) : 0.0) +
                          std::complex<double>(noise(random), noise(random));
        }
        for (std::size_t unit = 0; unit < kDotsUnits; ++unit) {
            const double from = static_cast<double>(unit * kDotsUnit);
            const double energy = stretchEnergy(sums, from, from + kDotsUnit);
            if (down(unit)) {
                levels.addMark(from, from + kDotsUnit, energy);
            } else {
                levels.addSpace(from, from + kDotsUnit, energy);
            }
        }
        levels.follow(kDotsUnit);
    }
};

TEST(LevelTrackTest, FollowsAFadingCarrierThroughTheTroughsBetweenItsMarks) {
    // Two paths of equal strength whose Doppler shifts differ make the carrier's gain a
    // sine that passes through zero in the middle of a space every eight units (a
    // Rayleigh trough in its simplest form).
    constexpr double kTrough = 33.5; // units; so are 25.5, 41.5 and 49.5
    KeyedDots dots(
        [](double units) { return std::sin(2.0 * std::numbers::pi * (units - kTrough) / 16.0); });
    ASSERT_TRUE(dots.levels.fading());
    const double crest = dots.levels.signal((kTrough - 4.0) * kDotsUnit);
    EXPECT_GT(dots.levels.signal(kTrough * kDotsUnit), 0.1 * crest) << "the marks' power misses it";
    dots.levels.followCarrier(dots.sums, kDotsUnit);
    EXPECT_LT(dots.levels.signal(kTrough * kDotsUnit), 0.02 * crest);
    EXPECT_GT(dots.levels.signal((kTrough - 4.0) * kDotsUnit), 0.7 * crest);
}

TEST(LevelTrackTest, TellsAFadeFromMarkToMarkFromASlowFadeAndASteadyCarrier) {
    // Down by 12 dB through the frame's middle and back, too slowly for any mark to
    // stand out from its neighbours.
    const KeyedDots slow([](double units) {
        return std::pow(10.0, -0.6 * std::sin(std::numbers::pi * units / kDotsUnits));
    });
    EXPECT_TRUE(slow.levels.fading());
    EXPECT_FALSE(slow.levels.fadesFromMarkToMark());
    // The carrier's gain through zero every eight units: marks beside a trough fall well
    // below their neighbours.
    const KeyedDots fast(
        [](double units) { return std::sin(2.0 * std::numbers::pi * units / 16.0); });
    EXPECT_TRUE(fast.levels.fadesFromMarkToMark());
    const KeyedDots steady([](double) { return 1.0; });
    EXPECT_FALSE(steady.levels.fading());
    EXPECT_FALSE(steady.levels.fadesFromMarkToMark());
}

TEST(LevelTrackTest, CarriesASteadyCarriersPhaseFromMarkToMarkAsTheToneTrackLags) {
    // The tone track lags a drifting tone: the carrier turns by 0.3 to 0.7 rad a unit,
    // the turn itself changing along the frame. Each mark's phase must come from the
    // marks around it, the turn taken out, not from the mark itself.
    const auto phase = [](double units) { return 0.5 * units + 1.6 * std::sin(units / 8.0); };
    KeyedDots keyed([&](double units) { return std::polar(1.0, phase(units)); }, "===.=...");
    ASSERT_FALSE(keyed.levels.fading());
    keyed.levels.followCarrier(keyed.sums, kDotsUnit);
    for (std::size_t unit = 16; unit < 64; ++unit) {
        if (!keyed.down(unit)) {
            continue;
        }
        const double from = static_cast<double>(unit * kDotsUnit);
        const std::complex<double> prior = keyed.levels.phaseFor(from, from + kDotsUnit);
        EXPECT_GT(std::abs(prior), 10.0) << "unit " << unit;
        const double middle = static_cast<double>(unit) + 0.5;
        EXPECT_LT(std::abs(std::arg(prior * std::polar(1.0, -phase(middle)))), 0.15)
            << "unit " << unit;
        // A mark in that phase says "carrier" more firmly than one of unknown phase.
        const std::complex<double> sum = stretchSum(keyed.sums, from, from + kDotsUnit);
        EXPECT_GT(phasedCarrierLikelihood(sum, kDotsUnit, 1.0, 1.0, prior),
                  phasedCarrierLikelihood(sum, kDotsUnit, 1.0, 1.0, 0.0));
    }
}

TEST(LevelTrackTest, KeepsAFadingCarriersPhaseOnlyWhereItCarriesFromMarkToMark) {
    // Both fade slowly by 12 dB; the second's phase jumps from each unit to the next, as
    // under the fastest fading.
    const auto fade = [](double units) {
        return std::pow(10.0, -0.6 * std::sin(std::numbers::pi * units / kDotsUnits));
    };
    for (const bool jumps : {false, true}) {
        KeyedDots keyed(
            [&](double units) {
                const double whole = std::floor(units);
                return std::polar(fade(units), jumps ? 2.4 * whole * whole : 0.0);
            },
            "===.=...");
        ASSERT_TRUE(keyed.levels.fading());
        keyed.levels.followCarrier(keyed.sums, kDotsUnit);
        const double from = 40.0 * kDotsUnit;
        EXPECT_EQ(std::abs(keyed.levels.phaseFor(from, from + kDotsUnit)) > 5.0, !jumps)
            << (jumps ? "jumping phase" : "steady phase");
    }
}

TEST(CarrierFitTest, FitsAStretchsGainFromTheMarksAroundItNotFromItself) {
    // One unit keyed in the opposite phase: were a stretch's own marks in the fit, every
    // stretch would vouch for its own phase, and noise would read as marks.
    constexpr int kOdd = 41;
    const KeyedDots keyed([](double units) { return static_cast<int>(units) == kOdd ? -1.0 : 1.0; },
                          "===.=...");
    std::vector<MarkSpan> marks;
    for (std::size_t unit = 0; unit < kDotsUnits; ++unit) {
        if (keyed.down(unit)) {
            marks.push_back({static_cast<double>(unit * kDotsUnit),
                             static_cast<double>((unit + 1) * kDotsUnit)});
        }
    }
    const CarrierFit fit(keyed.sums, marks, kDotsUnit, 2.0 * kDotsUnit);
    const double from = kOdd * kDotsUnit;
    const auto fitted = fit.gainAt(from + 0.5 * kDotsUnit, 0.005, from, from + kDotsUnit);
    ASSERT_TRUE(fitted.has_value());
    EXPECT_NEAR(fitted->gain.real(), 1.0, 0.1);
}

/// Evidence along a payload keyed as `payload` (26 characters) with the keyer's gaps:
/// `strength` at the start of each of its dots and dashes, minus as much elsewhere.
PayloadEvidence keyedEvidence(const std::string& payload, double strength, PayloadShape& shape) {
    const auto& slots = FrameLayout::instance().slots();
    std::vector<std::pair<int, bool>> elements; // tick, dash
    int tick = 4;
    for (std::size_t k = 0; k < payload.size(); ++k) {
        const auto& choices = slots[k].characters;
        const auto c = std::find_if(choices.begin(), choices.end(), [&](const auto& keying) {
            return keying.character == payload[k];
        });
        for (const int u : c->dots) {
            elements.emplace_back(tick + kTicksPerUnit * u, false);
        }
        for (const int u : c->dashes) {
            elements.emplace_back(tick + kTicksPerUnit * u, true);
        }
        tick += kTicksPerUnit * c->length + shape.gapAfter[k];
    }
    PayloadEvidence evidence;
    evidence.dot.assign(static_cast<std::size_t>(tick + 80), -strength);
    evidence.dash.assign(evidence.dot.size(), -3.0 * strength);
    for (const auto& [at, dash] : elements) {
        (dash ? evidence.dash : evidence.dot)[static_cast<std::size_t>(at)] = strength;
    }
    shape.firstFrom = 0;
    shape.firstTo = 8;
    shape.lastEnd = tick + 60;
    return evidence;
}

TEST(TrellisTest, ReadsThePayloadTheEvidenceShows) {
    const std::string payload = "3O6TBUU4BD6UDB64UD4ADBABBD";
    PayloadShape shape;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        shape.gapAfter[k] = FrameLayout::instance().slots()[k].wordGapAfter ? 28 : 12;
    }
    const PayloadPath path = bestPayload(keyedEvidence(payload, 5.0, shape), shape);
    ASSERT_TRUE(path.complete);
    EXPECT_EQ(path.characters, payload);
    for (const double margin : path.margins) {
        EXPECT_GT(margin, 4.0);
    }
}

TEST(TrellisTest, HasNoMarginWhereTheEvidenceIsGone) {
    // The eighth group's evidence wiped out: any reading of its characters is as likely
    // as the one found, the groups before keep their margins.
    const std::string payload = "3O6TBUU4BD6UDB64UD4ADBABBD";
    PayloadShape shape;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        shape.gapAfter[k] = FrameLayout::instance().slots()[k].wordGapAfter ? 28 : 12;
    }
    PayloadEvidence evidence = keyedEvidence(payload, 5.0, shape);
    const auto from = static_cast<std::ptrdiff_t>(evidence.dot.size() - 200);
    std::fill(evidence.dot.begin() + from, evidence.dot.end(), 0.0);
    std::fill(evidence.dash.begin() + from, evidence.dash.end(), 0.0);
    const PayloadPath path = bestPayload(evidence, shape);
    ASSERT_TRUE(path.complete);
    EXPECT_EQ(path.characters.substr(0, 20), payload.substr(0, 20));
    EXPECT_GT(path.margins[0], 4.0);
    EXPECT_LT(path.margins[kPayloadSlots - 1], 1.0);
}

} // namespace
} // namespace orvinta::cw
