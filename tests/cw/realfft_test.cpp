// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/audio/realfft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <thread>
#include <vector>

namespace orvinta::cw {
namespace {

constexpr std::size_t kSize = 256;

/// A cosine of amplitude 1 that completes `cycles` periods in the transform's length.
void fillCosine(RealFft& fft, double cycles) {
    for (std::size_t n = 0; n < fft.size(); ++n) {
        fft.input()[n] =
            static_cast<float>(std::cos(2.0 * std::numbers::pi * cycles * static_cast<double>(n) /
                                        static_cast<double>(fft.size())));
    }
}

std::vector<std::complex<float>> spectrumOf(RealFft& fft) {
    fft.run();
    return {fft.output(), fft.output() + fft.size() / 2 + 1};
}

TEST(RealFftTest, PutsACosineIntoItsBinWithHalfTheLengthAsMagnitude) {
    RealFft fft(kSize);
    for (const std::size_t bin : {std::size_t{1}, std::size_t{17}, kSize / 2 - 1}) {
        fillCosine(fft, static_cast<double>(bin));
        const std::vector<std::complex<float>> spectrum = spectrumOf(fft);
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            const double expected = k == bin ? kSize / 2.0 : 0.0;
            EXPECT_NEAR(std::abs(spectrum[k]), expected, 1e-3) << "bin " << k << " of " << bin;
        }
    }
}

TEST(RealFftTest, GivesTheSumOfAConstantInputAtBinZeroAndNothingElse) {
    RealFft fft(kSize);
    for (std::size_t n = 0; n < kSize; ++n) {
        fft.input()[n] = 0.5F;
    }
    const std::vector<std::complex<float>> spectrum = spectrumOf(fft);
    EXPECT_FLOAT_EQ(spectrum[0].real(), kSize / 2.0F);
    EXPECT_FLOAT_EQ(spectrum[0].imag(), 0.0F);
    EXPECT_FLOAT_EQ(spectrum[kSize / 2].real(), 0.0F);
}

TEST(RealFftTest, TransformsMadeOnSeveralThreadsAtOnceGiveTheSameSpectrum) {
    // FFTW's planner is not thread-safe: decoders and waterfalls make and drop their
    // transforms on threads of their own, and each must still get a working plan.
    RealFft alone(kSize);
    fillCosine(alone, 5.5);
    const std::vector<std::complex<float>> expected = spectrumOf(alone);

    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::vector<int> matching(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&matching, &expected, t] {
            for (int round = 0; round < kRounds; ++round) {
                RealFft fft(kSize);
                fillCosine(fft, 5.5);
                matching[static_cast<std::size_t>(t)] += spectrumOf(fft) == expected ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(matching[static_cast<std::size_t>(t)], kRounds) << "thread " << t;
    }
}

} // namespace
} // namespace orvinta::cw
