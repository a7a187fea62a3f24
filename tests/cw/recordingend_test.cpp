// SPDX-License-Identifier: GPL-3.0-or-later
// Where a recording ends: loss of signal cuts it anywhere, inside a frame, in the gap
// after it or inside the next frame's prefix. Whatever is printed must be right or "?".
#include "cw/cwdecoder.h"
#include "cw/model/framelayout.h"

#include "keyer/keyedsignal.h"
#include "tests/cw/rightorunread.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace orvinta::cw {
namespace {

using keyer::decodeSamples;
using keyer::Fading;
using keyer::KeyedRecording;
using keyer::keyFrames;
using keyer::randomFrames;
using keyer::SignalOptions;

constexpr std::string_view kSampleFrame = "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE";
/// Cuts per recording, spread evenly from the middle of the first frame to just past the
/// end of the second frame's prefix.
constexpr int kCuts = 14;

struct CutCase {
    const char* what;
    double wpm;
    double snrDb;
    double gapSeconds;
    double fadeSeconds; ///< Rayleigh fading; 0 for none
    bool sampleFrame;   ///< the sample frame twice, else random frames
    unsigned seed;
    bool live = false; ///< frames read as soon as they are complete, as from a receiver
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.what;
}

/// Seconds from a frame's "E" to the end of its prefix's last "I" at `wpm`.
double prefixSeconds(double wpm) {
    KeyingTiming timing;
    timing.unit = kUnitSecondsAtOneWpm / wpm;
    return timing.at(FrameLayout::instance().payloadStart(), -timing.wordGap);
}

/// The payload characters of `heard` read as another than in `keyed`.
std::size_t wrongCharacters(const HeardFrame& heard, std::string_view keyed) {
    std::size_t wrong = 0;
    for (std::size_t k = kFramePrefix.size(); k < keyed.size(); ++k) {
        wrong += heard.text[k] != '?' && heard.text[k] != keyed[k] ? 1U : 0U;
    }
    return wrong;
}

class RecordingEndTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(RecordingEndTest, PrintsOnlyWhatWasHeard) {
    const CutCase& c = GetParam();
    SignalOptions options;
    options.wordsPerMinute = c.wpm;
    options.snrDb = c.snrDb;
    options.toneHz = 900.0;
    options.gapSeconds = c.gapSeconds;
    options.seed = c.seed;
    if (c.fadeSeconds > 0.0) {
        options.fading = Fading::Rayleigh;
        options.fadePeriodSeconds = c.fadeSeconds;
    }
    const std::vector<std::string> frames =
        c.sampleFrame ? std::vector<std::string>(2, std::string(kSampleFrame))
                      : randomFrames(2, c.seed);
    const KeyedRecording recording = keyFrames(frames, options);
    DecoderSettings settings;
    settings.readFramesEarly = c.live;
    const std::vector<HeardFrame> whole =
        decodeSamples(recording.samples, options.sampleRate, settings);
    ASSERT_FALSE(whole.empty());
    ASSERT_NEAR(whole.front().seconds, recording.frameSeconds[0], 0.1);

    const double from = 0.5 * (recording.frameSeconds[0] + recording.frameEndSeconds[0]);
    const double to = recording.frameSeconds[1] + prefixSeconds(c.wpm) + 1.0;
    for (int i = 0; i <= kCuts; ++i) {
        const double cut = from + (to - from) * i / kCuts;
        const std::vector<float> samples(recording.samples.begin(),
                                         recording.samples.begin() +
                                             static_cast<std::ptrdiff_t>(cut * options.sampleRate));
        const std::string where = "cut at " + std::to_string(cut) + " s";
        for (const HeardFrame& heard : decodeSamples(samples, options.sampleRate, settings)) {
            const auto keyed = static_cast<std::size_t>(
                std::abs(heard.seconds - recording.frameSeconds[0]) < 0.5 ? 0 : 1);
            ASSERT_NEAR(heard.seconds, recording.frameSeconds[keyed], 0.5) << where;
            ASSERT_EQ(heard.text.size(), frames[keyed].size()) << where;
            EXPECT_EQ(wrongCharacters(heard, frames[keyed]), 0U)
                << where << ": " << heard.text << " for " << frames[keyed];
            EXPECT_LT(heard.unreadable, kPayloadSlots) << where << ": " << heard.text;
            // A frame that the cut left whole reads as in the whole recording, but for the
            // last character before an unread end: without the next frame the signal may
            // have gone there, not faded, and cut a longer character short.
            if (keyed == 0 && cut > recording.frameEndSeconds[0] + 0.5) {
                ASSERT_NO_FATAL_FAILURE(
                    test::expectRightOrUnread(heard.text, whole.front().text, where));
                EXPECT_LE(heard.unreadable, whole.front().unreadable + 1) << where;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, RecordingEndTest,
    ::testing::Values(
        CutCase{"sample frame 18 WpM +16 dB", 18.0, 16.0, 2.5, 0.0, true, 3},
        CutCase{"sample frame 12 WpM +6 dB", 12.0, 6.0, 2.5, 0.0, true, 5},
        CutCase{"sample frame 12 WpM -1.5 dB", 12.0, -1.5, 2.5, 0.0, true, 5},
        CutCase{"back to back 20 WpM +3 dB", 20.0, 3.0, 0.0, 0.0, false, 8},
        CutCase{"Rayleigh 1 s 22 WpM +6 dB", 22.0, 6.0, 3.0, 1.0, false, 9},
        CutCase{"live, sample frame 12 WpM +6 dB", 12.0, 6.0, 2.5, 0.0, true, 5, true},
        CutCase{"live, back to back 20 WpM +3 dB", 20.0, 3.0, 0.0, 0.0, false, 8, true},
        CutCase{"live, Rayleigh 1 s 22 WpM +6 dB", 22.0, 6.0, 3.0, 1.0, false, 9, true}),
    test::PrintedName());

} // namespace
} // namespace orvinta::cw
