// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/audio/baseband.h"

#include "keyer/keyedsignal.h"
#include "tests/support/sampleline.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::KeyedRecording;
using keyer::keyFrames;
using keyer::SignalOptions;

using test::kSampleLine;

/// The smoothed tone estimates of every tone followed in `samples` at 8 kHz.
std::vector<std::vector<ToneEstimate>> follow(const std::vector<float>& samples) {
    AudioFront front(8000);
    ToneTracker tracker(front.rate());
    std::vector<SpectrumMoment> moments;
    for (std::size_t at = 0; at < samples.size(); at += 4096) {
        front.push(samples.data() + at, std::min<std::size_t>(4096, samples.size() - at), moments);
    }
    for (const SpectrumMoment& m : moments) {
        tracker.update(m);
    }
    tracker.finish();
    std::vector<std::vector<ToneEstimate>> tones;
    for (const ToneTracker::Tone& tone : tracker.tones()) {
        tones.push_back(tone.smoothed);
    }
    return tones;
}

class ToneTrackerTest : public ::testing::TestWithParam<double> {};

TEST_P(ToneTrackerTest, FollowsTheKeyedToneAlone) {
    SignalOptions options;
    options.toneHz = GetParam();
    options.snrDb = -8.0;
    options.wordsPerMinute = 25.0;
    const KeyedRecording recording = keyFrames({kSampleLine}, options);
    const auto tones = follow(recording.samples);
    ASSERT_EQ(tones.size(), 1U);
    const double from = recording.frameSeconds[0] + 2.0;
    int checked = 0;
    for (const ToneEstimate& e : tones[0]) {
        const double t = e.sample / 8000.0;
        if (t > from && t < from + 10.0) {
            EXPECT_NEAR(e.frequencyHz, GetParam(), 1.5) << t << " s";
            ++checked;
        }
    }
    EXPECT_GT(checked, 40);
}

INSTANTIATE_TEST_SUITE_P(Tones, ToneTrackerTest, ::testing::Values(210.0, 777.7, 1500.0, 2990.0),
                         test::PrintedName());

TEST(ToneTrackerTest, TakesNoToneFromTheKeyingOfANoiseFreeTone) {
    // A generated recording without noise, as a 16-bit file holds it: the keyed tone's
    // sidebands stand out of the quantisation floor across the band, and where the keying
    // stops the spectra fall to nothing.
    SignalOptions options;
    options.noise = keyer::Noise::None;
    options.toneHz = 900.0;
    options.wordsPerMinute = 20.0;
    options.edgeSeconds = 0.002;
    KeyedRecording recording = keyFrames({kSampleLine, kSampleLine}, options);
    for (float& sample : recording.samples) {
        sample = std::round(sample * 32767.0F) / 32767.0F;
    }
    const auto tones = follow(recording.samples);
    ASSERT_EQ(tones.size(), 1U);
    for (const ToneEstimate& e : tones[0]) {
        EXPECT_NEAR(e.frequencyHz, options.toneHz, 1.5);
    }
}

TEST(ToneTrackerTest, FollowsDrift) {
    SignalOptions options;
    options.toneHz = 1400.0;
    options.driftHz = 300.0;
    options.driftRateHz = 5.0;
    options.snrDb = -8.0;
    options.wordsPerMinute = 25.0;
    options.gapSeconds = 1.0;
    const KeyedRecording recording =
        keyFrames({kSampleLine, kSampleLine, kSampleLine, kSampleLine}, options);
    const double duration = static_cast<double>(recording.samples.size()) / 8000.0;
    const double tau = options.driftHz / options.driftRateHz;
    const auto tones = follow(recording.samples);
    ASSERT_FALSE(tones.empty());
    for (const ToneEstimate& e : tones[0]) {
        const double t = e.sample / 8000.0;
        if (t < 4.0 || t > duration - 4.0) {
            continue;
        }
        const double truth = options.toneHz + options.driftHz * std::tanh((t - duration / 2) / tau);
        EXPECT_NEAR(e.frequencyHz, truth, 4.0) << t << " s";
    }
}

TEST(ToneMixerTest, MixesTheToneDownAndKeepsTime) {
    // A tone keyed down from 3.0 s to 3.5 s shows up at 0 Hz, at the right moment.
    for (const int rate : {8000, 11025, 12345, 44100, 96000}) {
        std::vector<float> audio(static_cast<std::size_t>(6 * rate));
        for (std::size_t n = 0; n < audio.size(); ++n) {
            const double t = static_cast<double>(n) / rate;
            audio[n] = t >= 3.0 && t < 3.5
                           ? static_cast<float>(0.5 * std::cos(2.0 * std::numbers::pi * 1000.0 * t))
                           : 0.0f;
        }
        AudioFront front(rate);
        std::vector<SpectrumMoment> moments;
        front.push(audio.data(), audio.size(), moments);
        ToneMixer mixer(front.rate(), 0);
        std::vector<std::complex<float>> out;
        std::vector<float> tones;
        mixer.mix(front, {ToneEstimate{0.0, 1000.0, 10.0}}, true, out, tones);
        ASSERT_EQ(out.size(), tones.size());
        EXPECT_NEAR(mixer.rate(), 400.0, 5.0);
        double first = -1.0;
        double last = -1.0;
        for (std::size_t k = 0; k < out.size(); ++k) {
            if (std::abs(out[k]) > 0.125f) {
                last = front.secondsOf(mixer.audioIndexOf(static_cast<double>(k)));
                first = first < 0.0 ? last : first;
            }
        }
        EXPECT_NEAR(first, 3.0, 0.01) << rate;
        EXPECT_NEAR(last, 3.5, 0.01) << rate;
        const auto middle = static_cast<std::size_t>(3.25 * mixer.rate());
        EXPECT_NEAR(std::abs(out[middle]), 0.25, 0.01) << rate;
        EXPECT_NEAR(tones[middle], 1000.0, 2.0) << rate;
    }
}

} // namespace
} // namespace orvinta::cw
