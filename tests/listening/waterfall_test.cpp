// SPDX-License-Identifier: GPL-3.0-or-later
#include "listening/waterfall.h"
#include "listening/waterfallview.h"

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

/// `count` rows of audio standing for a quarter second each, from `from` seconds on.
std::vector<WaterfallRow> audioRows(double from, int count) {
    std::vector<WaterfallRow> rows;
    for (int r = 0; r < count; ++r)
        rows.push_back({from + 0.25 * r, std::vector<std::uint8_t>(Waterfall::kColumns, 10)});
    return rows;
}

TEST(WaterfallView, KeepsAStretchWithoutAudioOnTheTimeAxis) {
    struct Case {
        const char* name;
        double silenceShown; ///< seconds told as without audio before it came again
        double resumesAt;    ///< when the audio came again
        int silentRows;
    };
    // Ten seconds of audio, then five without: twenty grey rows, however the silence
    // was told; grey rows told ahead of the audio that came give way to it.
    const Case cases[] = {{"audio_after_a_gap", 0.0, 15.0, 20},
                          {"silence_told_then_audio", 3.0, 15.0, 20},
                          {"silence_told_past_the_audio", 6.5, 15.0, 20},
                          {"blocks_a_little_late", 0.0, 10.1, 0}};
    for (const Case& c : cases) {
        WaterfallView view;
        view.addRows(audioRows(0.0, 40), 0.25);
        if (c.silenceShown > 0.0)
            view.showSilence(c.silenceShown);
        view.addRows(audioRows(c.resumesAt, 4), 0.25);
        EXPECT_EQ(view.silentRowCount(), c.silentRows) << c.name;
        EXPECT_EQ(view.rowCount(), 44 + c.silentRows) << c.name;
        // Grey in the picture, where no level of the colour scale is.
        const QRgb grey = view.picture().pixel(0, 4);
        EXPECT_EQ(grey == view.picture().pixel(0, 0), c.silentRows == 0) << c.name;
    }

    // A silence longer than the view shows fills it with grey rows, and no more.
    WaterfallView view;
    view.addRows(audioRows(0.0, 4), 0.25);
    view.showSilence(3600.0);
    EXPECT_EQ(view.silentRowCount(), WaterfallView::kHistoryRows);
}

TEST(WaterfallView, LabelsFramesOfALongRecordingWithoutOverlap) {
    // 60 frames of a 29-minute recording: a row stands for 7.25 s, a frame for two or
    // three rows.
    WaterfallView view;
    view.resize(688, 176);
    const double secondsPerRow = 29.0 * 60.0 / WaterfallView::kHistoryRows;
    std::vector<WaterfallRow> rows;
    for (int r = 0; r < WaterfallView::kHistoryRows; ++r)
        rows.push_back({r * secondsPerRow, std::vector<std::uint8_t>(Waterfall::kColumns, 10)});
    view.addRows(rows, secondsPerRow);
    for (int frame = 1; frame <= 60; ++frame) {
        const double start = (frame - 1) * 29.0;
        view.markFrame(frame, start, start + 20.0, 1000.0 + 5.0 * (frame % 3));
    }
    const std::vector<std::pair<int, QRectF>> labels = view.frameLabels();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front().first, 60) << "the newest frame keeps its number";
    EXPECT_GE(labels.size(), 8U);
    EXPECT_LT(labels.size(), 60U);
    for (std::size_t a = 0; a < labels.size(); ++a) {
        for (std::size_t b = a + 1; b < labels.size(); ++b)
            EXPECT_FALSE(labels[a].second.intersects(labels[b].second))
                << labels[a].first << " and " << labels[b].first;
    }
    // Few frames far apart all keep their numbers.
    WaterfallView sparse;
    sparse.resize(688, 176);
    sparse.addRows(rows, secondsPerRow);
    sparse.markFrame(1, 100.0, 120.0, 1000.0);
    sparse.markFrame(2, 900.0, 920.0, 1000.0);
    EXPECT_EQ(sparse.frameLabels().size(), 2U);
}

} // namespace
} // namespace orvinta::listening
