// SPDX-License-Identifier: GPL-3.0-or-later
#include "listening/waterfall.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace orvinta::listening {
namespace {

/// `seconds` of a tone of `toneHz` 20 dB above white noise in 3 kHz, at `rate`.
std::vector<float> toneInNoise(int rate, double toneHz, double seconds) {
    std::mt19937 random(5);
    // Noise of power 0.01 over the whole band; in 3 kHz that is 0.01 * 3000 / (rate / 2).
    std::normal_distribution<double> noise(0.0, 0.1);
    const double noiseIn3k = 0.01 * 3000.0 / (rate / 2.0);
    const double amplitude = std::sqrt(2.0 * 100.0 * noiseIn3k);
    std::vector<float> samples(static_cast<std::size_t>(seconds * rate));
    for (std::size_t n = 0; n < samples.size(); ++n) {
        const double t = static_cast<double>(n) / rate;
        samples[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * toneHz * t) +
                                        noise(random));
    }
    return samples;
}

int loudestColumn(const WaterfallRow& row) {
    return static_cast<int>(std::max_element(row.levels.begin(), row.levels.end()) -
                            row.levels.begin());
}

TEST(Waterfall, ShowsAToneInItsColumnRowByRowAtAnyRate) {
    for (const int rate : {8000, 44100, 48000}) {
        Waterfall waterfall(rate, 0.25);
        const std::vector<float> audio = toneInNoise(rate, 1234.0, 5.0);
        std::vector<WaterfallRow> rows;
        // In blocks of odd sizes, as devices deliver them.
        for (std::size_t at = 0; at < audio.size(); at += 777)
            waterfall.push(audio.data() + at, std::min<std::size_t>(777, audio.size() - at), rows);
        waterfall.finish(rows);
        ASSERT_NEAR(static_cast<double>(rows.size()), 5.0 / 0.25, 1.0) << rate << " Hz";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            EXPECT_DOUBLE_EQ(rows[r].seconds, 0.25 * static_cast<double>(r)) << rate << " Hz";
            ASSERT_EQ(rows[r].levels.size(), static_cast<std::size_t>(Waterfall::kColumns));
            EXPECT_EQ(loudestColumn(rows[r]), Waterfall::columnOf(1234.0)) << rate << " Hz";
            // The tone stands well above the noise floor, which stays dark.
            EXPECT_GT(rows[r].levels[static_cast<std::size_t>(Waterfall::columnOf(1234.0))], 150);
            EXPECT_LT(rows[r].levels[static_cast<std::size_t>(Waterfall::columnOf(2500.0))], 100);
        }
    }
}

TEST(Waterfall, ColumnsCoverTheToneBandAndLongRowsAverage) {
    EXPECT_EQ(Waterfall::columnOf(200.0), 0);
    EXPECT_EQ(Waterfall::columnOf(2999.9), Waterfall::kColumns - 1);
    EXPECT_DOUBLE_EQ(Waterfall::columnHz(Waterfall::columnOf(1005.0)), 1005.0);

    // Rows standing for ten seconds of audio each.
    Waterfall waterfall(8000, 10.0);
    const std::vector<float> audio = toneInNoise(8000, 705.0, 20.0);
    std::vector<WaterfallRow> rows;
    waterfall.push(audio.data(), audio.size(), rows);
    waterfall.finish(rows);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(loudestColumn(rows[0]), Waterfall::columnOf(705.0));
    EXPECT_DOUBLE_EQ(rows[1].seconds, 10.0);

    // Digital silence stays dark.
    Waterfall quiet(8000, 0.25);
    const std::vector<float> silence(8000, 0.0f);
    rows.clear();
    quiet.push(silence.data(), silence.size(), rows);
    ASSERT_FALSE(rows.empty());
    EXPECT_LT(*std::max_element(rows[0].levels.begin(), rows[0].levels.end()), 60);
}

} // namespace
} // namespace orvinta::listening
