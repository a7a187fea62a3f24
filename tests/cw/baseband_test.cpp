// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/baseband.h"

#include "keyedsignal.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace orvinta::cw {
namespace {

using testsignal::KeyedRecording;
using testsignal::keyFrames;
using testsignal::SignalOptions;

constexpr const char* kFrame = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";

std::vector<ToneTracker::Estimate> track(const std::vector<float>& samples, int rate) {
    ToneTracker tracker(rate);
    std::vector<ToneTracker::Estimate> estimates;
    for (std::size_t at = 0; at < samples.size(); at += 4096) {
        tracker.push(samples.data() + at, std::min<std::size_t>(4096, samples.size() - at),
                     estimates);
    }
    tracker.finish(estimates);
    return estimates;
}

class ToneTrackerTest : public ::testing::TestWithParam<double> {};

TEST_P(ToneTrackerTest, FindsTheKeyedTone) {
    SignalOptions options;
    options.toneHz = GetParam();
    options.snrDb = -8.0;
    options.wordsPerMinute = 25.0;
    const KeyedRecording recording = keyFrames({kFrame}, options);
    const std::vector<ToneTracker::Estimate> estimates = track(recording.samples, 8000);
    ASSERT_FALSE(estimates.empty());
    const double from = recording.frameSeconds[0] + 2.0;
    const double to = from + 10.0;
    int checked = 0;
    for (const ToneTracker::Estimate& e : estimates) {
        const double t = e.sample / 8000.0;
        if (t > from && t < to) {
            EXPECT_NEAR(e.frequencyHz, GetParam(), 1.5) << t << " s";
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
}

INSTANTIATE_TEST_SUITE_P(Tones, ToneTrackerTest, ::testing::Values(210.0, 777.7, 1500.0, 2990.0),
                         test::PrintedName());

TEST(ToneTrackerTest, FollowsDrift) {
    SignalOptions options;
    options.toneHz = 1400.0;
    options.driftHz = 300.0;
    options.driftRateHz = 5.0;
    options.snrDb = -8.0;
    options.wordsPerMinute = 25.0;
    options.gapSeconds = 1.0;
    const KeyedRecording recording = keyFrames({kFrame, kFrame, kFrame, kFrame}, options);
    const double duration = static_cast<double>(recording.samples.size()) / 8000.0;
    const double tau = options.driftHz / options.driftRateHz;
    for (const ToneTracker::Estimate& e : track(recording.samples, 8000)) {
        const double t = e.sample / 8000.0;
        if (t < 4.0 || t > duration - 4.0) {
            continue;
        }
        const double truth = options.toneHz + options.driftHz * std::tanh((t - duration / 2) / tau);
        EXPECT_NEAR(e.frequencyHz, truth, 4.0) << t << " s";
    }
}

TEST(BasebandTest, MixesTheToneDownAndKeepsTime) {
    // A tone keyed down from 3.0 s to 3.5 s shows up at 0 Hz, at the right moment.
    for (const int rate : {8000, 44100, 96000}) {
        std::vector<float> audio(static_cast<std::size_t>(6 * rate));
        for (std::size_t n = 0; n < audio.size(); ++n) {
            const double t = static_cast<double>(n) / rate;
            audio[n] = t >= 3.0 && t < 3.5
                           ? static_cast<float>(0.5 * std::cos(2.0 * 3.14159265358979 * 1000.0 * t))
                           : 0.0f;
        }
        Baseband baseband(rate);
        std::vector<std::complex<float>> out;
        std::vector<float> tones;
        baseband.push(audio.data(), audio.size(), out, tones);
        baseband.finish(out, tones);
        ASSERT_EQ(out.size(), tones.size());
        EXPECT_NEAR(baseband.rate(), 400.0, 5.0);
        double first = -1.0;
        double last = -1.0;
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (std::abs(out[k]) > 0.125f) {
                last = baseband.timeOf(static_cast<double>(k));
                first = first < 0.0 ? last : first;
            }
        }
        EXPECT_NEAR(first, 3.0, 0.01) << rate;
        EXPECT_NEAR(last, 3.5, 0.01) << rate;
        const std::size_t middle = static_cast<std::size_t>(3.25 * baseband.rate());
        EXPECT_NEAR(std::abs(out[middle]), 0.25, 0.01) << rate;
        EXPECT_NEAR(tones[middle], 1000.0, 2.0) << rate;
    }
}

} // namespace
} // namespace orvinta::cw
