// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/cwdecoder.h"

#include "cw/reading/framereader.h"

#include "keyer/keyedsignal.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::decodeSamples;
using keyer::KeyedRecording;
using keyer::keyFrames;
using keyer::randomFrame;
using keyer::randomFrames;
using keyer::SignalOptions;

/// Decodes the recording and expects exactly the frames keyed, each at its moment.
void expectFrames(const KeyedRecording& recording, const std::vector<std::string>& frames,
                  const SignalOptions& options, const std::string& what) {
    const std::vector<HeardFrame> heard = decodeSamples(recording.samples, options.sampleRate);
    ASSERT_EQ(heard.size(), frames.size()) << what;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(heard[i].text, frames[i]) << what << ", frame " << i;
        EXPECT_NEAR(heard[i].seconds, recording.frameSeconds[i], 0.03) << what << ", frame " << i;
        EXPECT_NEAR(heard[i].wordsPerMinute, options.wordsPerMinute, 0.01 * options.wordsPerMinute)
            << what;
    }
}

struct SpeedToneCase {
    double wpm;
    double toneHz;
};

void PrintTo(const SpeedToneCase& c, std::ostream* os) {
    *os << c.wpm << " WpM " << c.toneHz << " Hz";
}

class SpeedAndToneTest : public ::testing::TestWithParam<SpeedToneCase> {};

TEST_P(SpeedAndToneTest, ReadsFramesExactly) {
    SignalOptions options;
    options.wordsPerMinute = GetParam().wpm;
    options.toneHz = GetParam().toneHz;
    options.snrDb = -3.0;
    options.seed = static_cast<unsigned>(GetParam().wpm);
    const std::vector<std::string> frames = randomFrames(2, options.seed);
    const KeyedRecording recording = keyFrames(frames, options);
    expectFrames(recording, frames, options, "");
    const std::vector<HeardFrame> heard = decodeSamples(recording.samples, options.sampleRate);
    for (const HeardFrame& frame : heard) {
        EXPECT_NEAR(frame.toneHz, options.toneHz, 3.0);
        EXPECT_NEAR(frame.snrDb, options.snrDb, 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Keyings, SpeedAndToneTest,
                         ::testing::Values(SpeedToneCase{8.0, 700.0}, SpeedToneCase{12.0, 250.0},
                                           SpeedToneCase{20.0, 1500.0}, SpeedToneCase{25.0, 2950.0},
                                           SpeedToneCase{30.0, 1000.0}),
                         test::PrintedName());

TEST(CwDecoderTest, FollowsDrift) {
    // 600 Hz in all, rising and falling, at up to 5 and 15 Hz/s (Doppler of a low pass).
    for (const double rate : {5.0, 15.0}) {
        for (const double drift : {300.0, -300.0}) {
            SignalOptions options;
            options.wordsPerMinute = 22.0;
            options.toneHz = 1500.0;
            options.driftHz = drift;
            options.driftRateHz = rate;
            options.snrDb = -3.0;
            options.gapSeconds = 2.0;
            const std::vector<std::string> frames = randomFrames(4, 11);
            expectFrames(keyFrames(frames, options), frames, options,
                         "drift " + std::to_string(drift) + " at " + std::to_string(rate));
        }
    }
}

TEST(CwDecoderTest, ShowsTheToneItFollows) {
    // For a display's marker: the tone followed, moment by moment, where it is.
    SignalOptions options;
    options.wordsPerMinute = 20.0;
    options.toneHz = 900.0;
    options.snrDb = 0.0;
    const KeyedRecording recording = keyFrames(randomFrames(2, 17), options);
    CwDecoder decoder(options.sampleRate);
    decoder.push(recording.samples.data(), recording.samples.size());
    decoder.finish();
    const std::vector<FollowedTone> tones = decoder.takeTones();
    ASSERT_FALSE(tones.empty());
    for (const FollowedTone& t : tones) {
        EXPECT_NEAR(t.hz, options.toneHz, 5.0) << "at " << t.seconds << " s";
        EXPECT_EQ(t.id, tones.front().id);
    }
    EXPECT_LT(tones.front().seconds, recording.frameSeconds[1]);
    EXPECT_TRUE(decoder.takeTones().empty());
}

/// The tones a decoder gives out while it is fed `samples` as live audio, a tenth of a
/// second at a time.
std::vector<FollowedTone> tonesOf(const std::vector<float>& samples, int sampleRate) {
    CwDecoder decoder(sampleRate, DecoderSettings{.readFramesEarly = true});
    std::vector<FollowedTone> tones;
    const auto block = static_cast<std::size_t>(sampleRate / 10);
    for (std::size_t at = 0; at < samples.size(); at += block) {
        decoder.push(samples.data() + at, std::min(block, samples.size() - at));
        const std::vector<FollowedTone> due = decoder.takeTones();
        tones.insert(tones.end(), due.begin(), due.end());
    }
    decoder.finish();
    const std::vector<FollowedTone> rest = decoder.takeTones();
    tones.insert(tones.end(), rest.begin(), rest.end());
    return tones;
}

struct ToneTraceCase {
    const char* name;
    keyer::Noise noise;
    double snrDb; ///< below -60 the beacon is not there at all
    double wordsPerMinute;
    double driftHz;
    unsigned seed;
};

void PrintTo(const ToneTraceCase& c, std::ostream* os) {
    *os << c.name;
}

class ToneTraceTest : public ::testing::TestWithParam<ToneTraceCase> {};

TEST_P(ToneTraceTest, TracesOnlyTheTonesHeardKeyed) {
    // A display traces these tones: in noise there is nothing to trace, and a frame's
    // tone is traced while it is keyed, not on along its drift after the last frame.
    const ToneTraceCase& c = GetParam();
    SignalOptions options;
    options.noise = c.noise;
    options.snrDb = c.snrDb;
    options.wordsPerMinute = c.wordsPerMinute;
    options.driftHz = c.driftHz;
    options.driftRateHz = 10.0;
    options.seed = c.seed;
    options.tailSeconds = 20.0;
    const KeyedRecording recording = keyFrames(randomFrames(2, c.seed), options);
    const std::vector<FollowedTone> tones = tonesOf(recording.samples, options.sampleRate);
    if (c.snrDb < -60.0) {
        EXPECT_TRUE(tones.empty()) << tones.size() << " moments, the first at "
                                   << tones.front().seconds << " s, " << tones.front().hz << " Hz";
        return;
    }
    // Each quarter second of a frame has a moment traced within half a second.
    for (std::size_t f = 0; f < recording.frameSeconds.size(); ++f) {
        int steps = 0;
        int traced = 0;
        for (double t = recording.frameSeconds[f]; t < recording.frameEndSeconds[f]; t += 0.25) {
            ++steps;
            traced += std::any_of(tones.begin(), tones.end(), [&](const FollowedTone& tone) {
                return std::abs(tone.seconds - t) <= 0.5;
            });
        }
        EXPECT_GE(traced, steps * 95 / 100) << "frame " << f;
    }
    // The trace ends with the keying, give or take half of the three seconds a tone is
    // smoothed over and the second an analysis spans.
    const double lastEnd = recording.frameEndSeconds.back();
    for (const FollowedTone& tone : tones)
        EXPECT_LT(tone.seconds, lastEnd + 3.0) << tone.hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    Signals, ToneTraceTest,
    ::testing::Values(
        ToneTraceCase{"white_noise", keyer::Noise::White, -100.0, 20.0, 0.0, 1},
        ToneTraceCase{"speech_noise_1", keyer::Noise::SpeechBand, -100.0, 20.0, 0.0, 1},
        ToneTraceCase{"speech_noise_2", keyer::Noise::SpeechBand, -100.0, 20.0, 0.0, 2},
        ToneTraceCase{"speech_noise_3", keyer::Noise::SpeechBand, -100.0, 20.0, 0.0, 3},
        ToneTraceCase{"beacon_at_minus_10_dB", keyer::Noise::White, -10.0, 20.0, 0.0, 4},
        ToneTraceCase{"slow_beacon_at_minus_5_dB", keyer::Noise::White, -5.0, 8.0, 0.0, 5},
        ToneTraceCase{"drifting_beacon", keyer::Noise::White, 0.0, 20.0, 300.0, 6}),
    test::PrintedName());

TEST(CwDecoderTest, HoldsNoMoreSamplesTheLongerItListens) {
    // A recording of four frames fed again and again as a live receiver would, for
    // eleven minutes: every frame is read, and the decoder holds about as much after
    // the last as after the first two minutes.
    SignalOptions options;
    options.wordsPerMinute = 20.0;
    options.snrDb = -3.0;
    options.gapSeconds = 10.0;
    const KeyedRecording recording = keyFrames(randomFrames(4, 18), options);
    constexpr int kRepeats = 5;
    CwDecoder decoder(options.sampleRate);
    std::size_t early = 0;
    std::size_t most = 0;
    std::size_t frames = 0;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        for (std::size_t at = 0; at < recording.samples.size(); at += 4000) {
            decoder.push(recording.samples.data() + at,
                         std::min<std::size_t>(4000, recording.samples.size() - at));
            frames += decoder.takeFrames().size();
            decoder.takeTones();
            most = std::max(most, decoder.heldSamples());
        }
        early = repeat == 0 ? most : early;
    }
    decoder.finish();
    frames += decoder.takeFrames().size();
    EXPECT_EQ(frames, 4U * kRepeats);
    EXPECT_LE(most, early + early / 4);
}

TEST(CwDecoderTest, AdaptsToFading) {
    // 20 dB from crest to trough, through a whole cycle in 40 s and as a slow ramp.
    for (const double period : {40.0, 400.0}) {
        SignalOptions options;
        options.wordsPerMinute = 25.0;
        options.toneHz = 900.0;
        options.snrDb = 6.0;
        options.fadeDb = 20.0;
        options.fadePeriodSeconds = period;
        options.gapSeconds = 2.0;
        const std::vector<std::string> frames = randomFrames(3, 12);
        expectFrames(keyFrames(frames, options), frames, options,
                     "fading period " + std::to_string(period));
    }
}

TEST(CwDecoderTest, WritesSeldomSentCharactersThroughASlowFade) {
    // A "5" in a channel, an "X" or a "Z" in the status: under fast fading a trough
    // cutting the dash of a "V" or an "O" in two makes them, but a slow fade that swings
    // the level by 20 dB takes whole characters down together, and they stand as read.
    SignalOptions options;
    options.wordsPerMinute = 22.0;
    options.toneHz = 1100.0;
    options.snrDb = 6.0;
    options.fadeDb = 20.0;
    options.fadePeriodSeconds = 60.0;
    options.gapSeconds = 2.0;
    const std::vector<std::string> frames{"E LUSAT HI HI 6X AV5 5BA AU4 AD5 AA4 AB5 TTU AEE",
                                          "E LUSAT HI HI 3Z 5VT ABA 5U4 AD4 A5A ABT 5TU AE5"};
    expectFrames(keyFrames(frames, options), frames, options, "slow fade");
}

TEST(CwDecoderTest, ReadsFramesBackToBack) {
    // Only a word gap between the frames.
    SignalOptions options;
    options.wordsPerMinute = 18.0;
    options.toneHz = 1200.0;
    options.snrDb = -3.0;
    options.gapSeconds = 0.0;
    const std::vector<std::string> frames = randomFrames(3, 13);
    expectFrames(keyFrames(frames, options), frames, options, "back to back");
}

TEST(CwDecoderTest, ReadsTheSameWhateverTheBlocks) {
    SignalOptions options;
    options.wordsPerMinute = 24.0;
    options.snrDb = -6.0;
    const std::vector<std::string> frames = randomFrames(2, 14);
    const KeyedRecording recording = keyFrames(frames, options);
    const std::vector<HeardFrame> big = decodeSamples(recording.samples, 8000, {}, 1 << 16);
    const std::vector<HeardFrame> small = decodeSamples(recording.samples, 8000, {}, 333);
    ASSERT_EQ(big.size(), 2U);
    ASSERT_EQ(small.size(), big.size());
    for (std::size_t i = 0; i < big.size(); ++i) {
        EXPECT_EQ(small[i].text, big[i].text);
        EXPECT_DOUBLE_EQ(small[i].seconds, big[i].seconds);
    }
}

TEST(CwDecoderTest, GivesEachFrameOutWithinASecondOfItsEnd) {
    // Live audio comes a tenth of a second at a time: each frame, the recording's first
    // and the last before silence too, is out once a second of audio after its last
    // mark has been pushed.
    for (const double wpm : {8.0, 30.0}) {
        SignalOptions options;
        options.wordsPerMinute = wpm;
        options.snrDb = 0.0;
        options.tailSeconds = 5.0;
        const std::vector<std::string> frames = randomFrames(2, 19);
        const KeyedRecording recording = keyFrames(frames, options);
        DecoderSettings live;
        live.readFramesEarly = true;
        CwDecoder decoder(options.sampleRate, live);
        const auto block = static_cast<std::size_t>(options.sampleRate / 10);
        std::vector<HeardFrame> heard;
        for (std::size_t at = 0; at < recording.samples.size(); at += block) {
            const std::size_t count = std::min(block, recording.samples.size() - at);
            decoder.push(recording.samples.data() + at, count);
            const double pushed = static_cast<double>(at + count) / options.sampleRate;
            for (HeardFrame& frame : decoder.takeFrames()) {
                EXPECT_LE(pushed, frame.endSeconds + 1.0) << wpm << " WpM: " << frame.text;
                heard.push_back(std::move(frame));
            }
        }
        ASSERT_EQ(heard.size(), frames.size()) << wpm << " WpM";
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(heard[i].text, frames[i]) << wpm << " WpM";
        }
    }
}

TEST(CwDecoderTest, IsNotLuredAwayByASteadyCarrier) {
    // An unkeyed carrier 700 Hz away, 10 dB below the keyed tone, on all the time: in the
    // silence before and between the frames it is the strongest tone.
    SignalOptions options;
    options.wordsPerMinute = 20.0;
    options.toneHz = 1000.0;
    options.snrDb = 0.0;
    options.carrierHz = 1700.0;
    options.carrierLevel = 0.3;
    const std::vector<std::string> frames = randomFrames(2, 17);
    expectFrames(keyFrames(frames, options), frames, options, "with a carrier");
}

TEST(CwDecoderTest, FollowsTheKeyedToneBesideAStrongerSteadyCarrier) {
    // An unkeyed carrier 3 or 6 dB below the keyed tone, on all the time, has as much
    // or more power on average than the keyed tone: the tracker must stay on the tone
    // that is keyed, in the frames and in the silence around them.
    for (const double level : {0.708, 0.5}) {
        for (const double offset : {-400.0, 150.0}) {
            SignalOptions options;
            options.wordsPerMinute = 20.0;
            options.toneHz = 1000.0;
            options.snrDb = -3.0;
            options.carrierHz = options.toneHz + offset;
            options.carrierLevel = level;
            options.seed = 18;
            const std::vector<std::string> frames = randomFrames(2, 18);
            expectFrames(keyFrames(frames, options), frames, options,
                         "carrier " + std::to_string(level) + " at " + std::to_string(offset));
        }
    }
}

/// Calls `visit(character, margin)` for each payload character of `frame`.
template <typename Visit> void forEachCharacter(const HeardFrame& frame, const Visit& visit) {
    std::size_t slot = 0;
    for (std::size_t k = kFramePrefix.size(); k < frame.text.size(); ++k) {
        if (frame.text[k] != ' ') {
            visit(frame.text[k], frame.margins[slot++]);
        }
    }
}

/// The probability that no character `frame` writes is wrong, from their margins.
double confidenceOfWritten(const HeardFrame& frame) {
    double confidence = 1.0;
    forEachCharacter(
        frame, [&](char c, double margin) { confidence *= c == '?' ? 1.0 : chanceRight(margin); });
    return confidence;
}

TEST(CwDecoderTest, NeverReadsWrongBesideASteadyCarrierInItsChannel) {
    // A carrier 20-30 Hz from the drifting keyed tone passes the matched filter of a
    // unit: characters it spoils must come out as "?", none read wrong.
    struct Case {
        double level;
        double offset;
        double snrDb;
        unsigned seed;
    };
    long doubtedByTheCarrier = 0;
    for (const Case& c : {Case{0.5, -60.0, 0.0, 954}, Case{0.5, -60.0, -6.0, 954},
                          Case{0.5, 25.0, -6.0, 1039}, Case{0.708, 25.0, 0.0, 1039}}) {
        SignalOptions options;
        options.wordsPerMinute = 24.0;
        options.toneHz = 1200.0;
        options.driftHz = 100.0;
        options.snrDb = c.snrDb;
        options.carrierHz = options.toneHz + c.offset;
        options.carrierLevel = c.level;
        options.seed = c.seed;
        std::mt19937 random(c.seed);
        std::vector<std::string> frames;
        for (int i = 0; i < 3; ++i) {
            frames.push_back(randomFrame(random));
        }
        const KeyedRecording recording = keyFrames(frames, options);
        const std::string what = "carrier " + std::to_string(c.level) + " at " +
                                 std::to_string(c.offset) + ", " + std::to_string(c.snrDb) + " dB";
        for (const HeardFrame& heard : decodeSamples(recording.samples, options.sampleRate)) {
            std::size_t i = 0;
            while (i < frames.size() && std::abs(heard.seconds - recording.frameSeconds[i]) > 0.1) {
                ++i;
            }
            ASSERT_LT(i, frames.size()) << what << ": a frame at " << heard.seconds << " s";
            ASSERT_EQ(heard.text.size(), frames[i].size()) << what;
            for (std::size_t k = 0; k < heard.text.size(); ++k) {
                if (heard.text[k] != '?') {
                    EXPECT_EQ(heard.text[k], frames[i][k])
                        << what << ": " << heard.text << " for " << frames[i];
                }
            }
            // The characters the carrier made unreadable no longer count in the
            // confidence: it is that of the characters written.
            EXPECT_NEAR(heard.confidence, confidenceOfWritten(heard), 1e-9) << what;
            forEachCharacter(heard, [&](char written, double margin) {
                doubtedByTheCarrier += written == '?' && margin >= DecoderSettings{}.minimumMargin;
            });
        }
    }
    EXPECT_GT(doubtedByTheCarrier, 0) << "no character left to the carrier's wider margin";
}

TEST(CwDecoderTest, ReadsANoiseFreeRecording) {
    // A generated recording as a 16-bit file holds it: nothing but the quantisation.
    SignalOptions options;
    options.sampleRate = 44100;
    options.wordsPerMinute = 20.0;
    options.toneHz = 900.0;
    options.noise = keyer::Noise::None;
    const std::vector<std::string> frames = randomFrames(2, 23);
    KeyedRecording recording = keyFrames(frames, options);
    for (float& sample : recording.samples) {
        sample = std::round(sample * 32767.0F) / 32767.0F;
    }
    expectFrames(recording, frames, options, "without noise");
}

TEST(CwDecoderTest, TakesDamagedSamplesAsSilence) {
    SignalOptions options;
    options.wordsPerMinute = 25.0;
    options.snrDb = 0.0;
    const std::vector<std::string> frames = randomFrames(1, 16);
    KeyedRecording recording = keyFrames(frames, options);
    // Damage in the silence before the frame.
    recording.samples[1000] = std::numeric_limits<float>::quiet_NaN();
    recording.samples[2000] = std::numeric_limits<float>::infinity();
    const std::vector<HeardFrame> heard = decodeSamples(recording.samples, options.sampleRate);
    ASSERT_EQ(heard.size(), 1U);
    EXPECT_EQ(heard[0].text, frames[0]);
}

TEST(CwDecoderTest, HearsNothingInSilenceOrNoise) {
    for (const bool noise : {false, true}) {
        SignalOptions options;
        options.noise = noise ? keyer::Noise::White : keyer::Noise::None;
        options.snrDb = 0.0;
        options.leadSeconds = 120.0;
        options.tailSeconds = 0.0;
        options.seed = 15;
        const KeyedRecording recording = keyFrames({}, options);
        EXPECT_TRUE(decodeSamples(recording.samples, 8000).empty()) << "noise " << noise;
    }
}

TEST(CwDecoderTest, HearsTheBeaconAfterSilenceOrFarQuieterNoise) {
    // A recording that starts silent (a receiver not yet on) or with its noise 40 dB down:
    // once the noise comes up, the spectra that carry it are the typical ones, not too
    // loud ones to count less.
    for (const double before : {0.0, 0.01}) {
        SignalOptions options;
        options.wordsPerMinute = 22.0;
        options.toneHz = 1900.0;
        options.snrDb = -6.0;
        options.seed = 19;
        const std::vector<std::string> frames = randomFrames(2, options.seed);
        const KeyedRecording recording = keyFrames(frames, options);
        SignalOptions quiet = options;
        quiet.leadSeconds = 10.0;
        quiet.tailSeconds = 0.0;
        std::vector<float> samples = keyFrames({}, quiet).samples;
        for (float& x : samples) {
            x *= static_cast<float>(before);
        }
        samples.insert(samples.end(), recording.samples.begin(), recording.samples.end());
        const std::vector<HeardFrame> heard = decodeSamples(samples, options.sampleRate);
        ASSERT_EQ(heard.size(), frames.size()) << "level before " << before;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(heard[i].text, frames[i]) << "level before " << before;
            EXPECT_NEAR(heard[i].seconds, 10.0 + recording.frameSeconds[i], 0.03);
        }
    }
}

TEST(CwDecoderTest, ReadsAFrameCutOffByTheEndOfTheRecording) {
    SignalOptions options;
    options.wordsPerMinute = 25.0;
    options.snrDb = 0.0;
    options.tailSeconds = 0.0;
    const std::string frame = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
    KeyedRecording recording = keyFrames({frame}, options);
    recording.samples.resize(recording.samples.size() * 2 / 3);
    const std::vector<HeardFrame> heard = decodeSamples(recording.samples, 8000);
    ASSERT_EQ(heard.size(), 1U);
    EXPECT_EQ(heard[0].text.substr(0, 24), frame.substr(0, 24));
    EXPECT_EQ(heard[0].text.back(), '?');
}

} // namespace
} // namespace orvinta::cw
