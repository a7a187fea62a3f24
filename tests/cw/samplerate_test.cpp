// SPDX-License-Identifier: GPL-3.0-or-later
// A recording reads the same at whatever rate it was made: sound cards and recorders use
// 8-192 kHz, and some rates (11 025, 22 050, 44 100 Hz, odd ones) divide by no integer
// into 8 kHz, the rate the decoder listens at.
#include "cw/audio/baseband.h"
#include "cw/cwdecoder.h"

#include "keyer/keyedsignal.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::decodeSamples;
using keyer::KeyedRecording;
using keyer::keyFrames;
using keyer::randomFrames;
using keyer::SignalOptions;

class AudioFrontRateTest : public ::testing::TestWithParam<int> {};

TEST_P(AudioFrontRateTest, BringsTheAudioToEightKilohertzOnTime) {
    // Tones across the band come out at 8 kHz, each sample the input at the moment
    // secondsOf() gives it: the tones and their frames are placed by it.
    const int rate = GetParam();
    std::vector<float> audio(static_cast<std::size_t>(3 * rate));
    const auto tone = [](double seconds) {
        double sum = 0.0;
        for (const double hz : {250.0, 1234.5, 2990.0}) {
            sum += 0.2 * std::cos(2.0 * std::numbers::pi * hz * seconds);
        }
        return sum;
    };
    for (std::size_t n = 0; n < audio.size(); ++n) {
        audio[n] = static_cast<float>(tone(static_cast<double>(n) / rate));
    }
    AudioFront front(rate);
    std::vector<SpectrumMoment> moments;
    for (std::size_t at = 0; at < audio.size(); at += 1000) {
        front.push(audio.data() + at, std::min<std::size_t>(1000, audio.size() - at), moments);
    }
    EXPECT_EQ(front.rate(), 8000.0);
    // Two seconds of decimated audio, clear of the filters' start.
    EXPECT_GE(front.end(), 16000U);
    double worst = 0.0;
    for (std::size_t i = 4000; i < 20000 && i < front.end(); ++i) {
        const double expected = tone(front.secondsOf(static_cast<double>(i)));
        worst = std::max(worst, std::abs(static_cast<double>(front.at(i)) - expected));
    }
    EXPECT_LT(worst, 2e-3);
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioFrontRateTest,
                         ::testing::Values(8000, 11025, 12345, 16000, 22050, 37800, 44100, 48000,
                                           96000, 192000),
                         test::PrintedName());

/// The frames heard in a recording of `frames` keyed at `rate`.
std::vector<HeardFrame> heardAt(int rate, const std::vector<std::string>& frames,
                                KeyedRecording& recording) {
    SignalOptions options;
    options.sampleRate = rate;
    options.wordsPerMinute = 23.0;
    options.toneHz = 1700.0;
    options.driftHz = 300.0;
    options.snrDb = -8.0;
    options.seed = 23;
    recording = keyFrames(frames, options);
    return decodeSamples(recording.samples, rate);
}

class SampleRateTest : public ::testing::TestWithParam<int> {};

TEST_P(SampleRateTest, ReadsTheSameFramesAtEveryRate) {
    // The same frames, drifting, in white noise: at each rate they read as at 8 kHz, at
    // their moments, with the same tones, speeds and levels.
    const std::vector<std::string> frames = randomFrames(3, 23);
    KeyedRecording atEight;
    static const std::vector<HeardFrame> reference = heardAt(8000, frames, atEight);
    KeyedRecording recording;
    const std::vector<HeardFrame> heard = heardAt(GetParam(), frames, recording);
    ASSERT_EQ(reference.size(), frames.size());
    ASSERT_EQ(heard.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(heard[i].text, frames[i]) << "frame " << i;
        // Within what the noise, different at each rate, lets the estimates vary.
        EXPECT_NEAR(heard[i].seconds, recording.frameSeconds[i], 0.015) << "frame " << i;
        EXPECT_NEAR(heard[i].toneHz, reference[i].toneHz, 1.0) << "frame " << i;
        EXPECT_NEAR(heard[i].wordsPerMinute, reference[i].wordsPerMinute,
                    0.01 * reference[i].wordsPerMinute)
            << "frame " << i;
        EXPECT_NEAR(heard[i].snrDb, reference[i].snrDb, 2.0) << "frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, SampleRateTest,
                         ::testing::Values(8000, 11025, 12345, 22050, 37800, 44100, 48000, 96000),
                         test::PrintedName());

} // namespace
} // namespace orvinta::cw
