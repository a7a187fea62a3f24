// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/audio/filters.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <vector>

namespace orvinta::cw {
namespace {

/// Gain of `taps` for a tone of `hz` at `rate`.
double gainAt(const std::vector<float>& taps, double hz, double rate) {
    std::complex<double> sum;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        sum += static_cast<double>(taps[n]) *
               std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate);
    }
    return std::abs(sum);
}

struct LowpassCase {
    double pass;
    double stop;
    double rate;
};

void PrintTo(const LowpassCase& c, std::ostream* os) {
    *os << "pass " << c.pass << " stop " << c.stop << " rate " << c.rate;
}

class LowpassTest : public ::testing::TestWithParam<LowpassCase> {};

TEST_P(LowpassTest, PassesTheBandAndStopsTheRest) {
    const auto [pass, stop, rate] = GetParam();
    const std::vector<float> taps = designLowpass(pass, stop, rate);
    EXPECT_EQ(taps.size() % 2, 1U);
    EXPECT_NEAR(std::accumulate(taps.begin(), taps.end(), 0.0), 1.0, 1e-5);
    for (double hz = 0.0; hz <= pass; hz += pass / 8.0) {
        EXPECT_NEAR(gainAt(taps, hz, rate), 1.0, 0.01) << hz << " Hz";
    }
    for (double hz = stop; hz < rate / 2.0; hz += (rate / 2.0 - stop) / 16.0) {
        EXPECT_LT(gainAt(taps, hz, rate), 1e-3) << hz << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Designs, LowpassTest,
                         ::testing::Values(LowpassCase{3300.0, 4700.0, 48000.0},
                                           LowpassCase{3300.0, 4700.0, 192000.0},
                                           LowpassCase{120.0, 280.0, 8000.0}),
                         test::PrintedName());

TEST(FirDecimatorTest, KeepsEveryFactorthOutputWhateverTheBlocks) {
    std::vector<float> input(1000);
    for (std::size_t n = 0; n < input.size(); ++n) {
        input[n] = static_cast<float>(std::sin(0.01 * static_cast<double>(n)));
    }
    FirDecimator<float> whole(designLowpass(100.0, 400.0, 8000.0), 4);
    std::vector<float> once;
    whole.push(input.data(), input.size(), once);
    EXPECT_EQ(once.size(), (input.size() - whole.length()) / 4 + 1);

    FirDecimator<float> pieces(designLowpass(100.0, 400.0, 8000.0), 4);
    std::vector<float> inPieces;
    for (std::size_t at = 0; at < input.size(); at += 7) {
        pieces.push(input.data() + at, std::min<std::size_t>(7, input.size() - at), inPieces);
    }
    ASSERT_EQ(inPieces.size(), once.size());
    for (std::size_t n = 0; n < once.size(); ++n) {
        EXPECT_FLOAT_EQ(inPieces[n], once[n]);
    }
}

TEST(FirDecimatorTest, FiltersComplexSamples) {
    // A slow complex tone passes at full level, a fast one is removed.
    const std::vector<float> taps = designLowpass(50.0, 150.0, 8000.0);
    for (const double hz : {20.0, 1000.0}) {
        FirDecimator<std::complex<float>> decimator(taps, 20);
        std::vector<std::complex<float>> input(8000);
        for (std::size_t n = 0; n < input.size(); ++n) {
            input[n] = std::polar(1.0f, static_cast<float>(2.0 * std::numbers::pi * hz *
                                                           static_cast<double>(n) / 8000.0));
        }
        std::vector<std::complex<float>> out;
        decimator.push(input.data(), input.size(), out);
        ASSERT_FALSE(out.empty());
        EXPECT_NEAR(std::abs(out.back()), hz < 100.0 ? 1.0 : 0.0, 1e-3) << hz << " Hz";
    }
}

struct ResampleCase {
    int inputRate;
    int outputRate;
};

void PrintTo(const ResampleCase& c, std::ostream* os) {
    *os << c.inputRate << " Hz to " << c.outputRate << " Hz";
}

class ResamplerTest : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(ResamplerTest, ReadsAToneInTheBandWhereItFallsAndStopsTheRest) {
    const auto [inputRate, outputRate] = GetParam();
    const double input = inputRate;
    const double output = outputRate;
    for (const double hz : {300.0, 1777.0, 3000.0, 4900.0}) {
        if (hz >= input / 2.0) {
            continue;
        }
        Resampler resampler(3300.0, 4700.0, input, static_cast<std::uint64_t>(inputRate),
                            static_cast<std::uint64_t>(outputRate));
        std::vector<float> tone(static_cast<std::size_t>(inputRate));
        for (std::size_t n = 0; n < tone.size(); ++n) {
            tone[n] = static_cast<float>(
                std::cos(2.0 * std::numbers::pi * hz * static_cast<double>(n) / input));
        }
        // In blocks of odd sizes: what comes out does not depend on them.
        std::vector<float> out;
        for (std::size_t at = 0; at < tone.size(); at += 777) {
            resampler.push(tone.data() + at, std::min<std::size_t>(777, tone.size() - at), out);
        }
        ASSERT_GT(out.size(), static_cast<std::size_t>(0.9 * output)) << hz << " Hz";
        double worst = 0.0;
        for (std::size_t n = 0; n < out.size(); ++n) {
            // Output n is read at input position n * input / output + delay().
            const double at = static_cast<double>(n) * input / output + resampler.delay();
            const double expected =
                hz < 3300.0 ? std::cos(2.0 * std::numbers::pi * hz * at / input) : 0.0;
            worst = std::max(worst, std::abs(static_cast<double>(out[n]) - expected));
        }
        EXPECT_LT(worst, 2e-3) << hz << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, ResamplerTest,
                         ::testing::Values(ResampleCase{11025, 8000}, ResampleCase{12345, 8000},
                                           ResampleCase{15999, 8000}, ResampleCase{8000, 8000}),
                         test::PrintedName());

} // namespace
} // namespace orvinta::cw
