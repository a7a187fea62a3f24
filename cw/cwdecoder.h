// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decoding core: audio samples pushed in block by block, frames with their details
// taken out. The path of the data: samples -> keyed tones found and followed, each
// mixed down to its own baseband (audio/baseband.h, audio/tonetracker.h) -> prefix search
// (search/prefixsearch.h) -> prefix heard, timing learnt (search/prefixcheck.h) -> trellis
// (reading/framereader.h, model/trellis.h) -> the telemetry line, per tone in
// tonedecoder.h. Only a frame whose prefix was heard on a tone is read, on that tone's
// baseband.

#include "cw/audio/tonetracker.h"

#include <complex>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace orvinta::cw {

/// A frame heard in a recording.
struct HeardFrame {
    double seconds = 0.0;    ///< where the frame's "E" starts, in seconds into the stream
    double endSeconds = 0.0; ///< just after the frame's last mark
    std::string text;        ///< telemetry line with "?" for unreadable characters
    std::size_t unreadable = 0;
    double toneHz = 0.0;
    double wordsPerMinute = 0.0;
    double snrDb = 0.0; ///< estimated in 3 kHz bandwidth
    /// Probability that no payload character printed (not "?") is wrong, from each
    /// character's likelihood margin over its best alternative.
    double confidence = 0.0;
    /// Each payload character's likelihood margin (natural log) over the best reading
    /// with another character in its place; below DecoderSettings::minimumMargin the
    /// character is "?".
    std::vector<double> margins;
    /// The line with the reading's character in every place, none given as "?": how
    /// much the "?" cost (orvinta-cw-bench measures it), never for the operator.
    std::string guess;
};

/// A tone followed at a moment, for a display to mark.
struct FollowedTone {
    double seconds = 0.0;
    double hz = 0.0;
    int id = 0; ///< the same for all moments of one followed tone
};

/// Tuning of the frame search and reading.
struct DecoderSettings {
    /// Likelihood margin (natural log) below which a payload character is given as "?":
    /// a character is printed when the reading is at least e times as likely as the best
    /// one with another character in its place. Higher turns readable characters of the
    /// weakest signals into "?", lower lets guesses through in fades.
    double minimumMargin = 1.0;
    double slowestWpm = 8.0;
    double fastestWpm = 30.0;
    /// Gives each frame out as soon as the audio shows its last character complete,
    /// rather than once the next frame's start is in: for live audio, where the operator
    /// waits for it. Reading frames again as the audio comes multiplies the processing,
    /// which a recording need not pay.
    bool readFramesEarly = false;
};

/// Sample rates the decoder listens at: the tone band (up to 3 kHz) needs 8 kHz; above
/// 384 kHz nothing is gained. At other rates it hears nothing.
inline constexpr int kLowestSampleRate = 8000;
inline constexpr int kHighestSampleRate = 384000;
inline bool supportedSampleRate(int sampleRate) {
    return sampleRate >= kLowestSampleRate && sampleRate <= kHighestSampleRate;
}

class AudioFront;

/// Decodes the beacon from audio fed block by block, with memory bounded by the longest
/// frame. Usable from any one thread at a time; several decoders may run on several
/// threads.
class CwDecoder {
public:
    explicit CwDecoder(int sampleRate, DecoderSettings settings = {});
    ~CwDecoder();
    CwDecoder(const CwDecoder&) = delete;
    CwDecoder& operator=(const CwDecoder&) = delete;

    /// Takes mono audio samples.
    void push(const float* audio, std::size_t count);
    /// Reads what remains at the end of the stream.
    void finish();

    /// Frames found since the last call, in the order they were read; with
    /// DecoderSettings::readFramesEarly each as soon as the audio shows its last character
    /// complete.
    std::vector<HeardFrame> takeFrames();
    /// The tones followed since the last call, of the last minute at most: the moments at
    /// which a tone was heard keyed (ToneEstimate::keyed).
    std::vector<FollowedTone> takeTones();

    /// Samples held (audio and every tone's baseband): bounded by the longest frame,
    /// however long the stream.
    std::size_t heldSamples() const;

private:
    struct Tone;
    /// Feeds every tone followed its baseband so far; drops the audio no tone needs.
    /// At decimated audio index `due`.
    void follow(bool final, double due);
    Tone& toneFor(const ToneTracker::Tone& tracked);
    void feedTone(ToneTracker::Tone& tracked, bool ended, double due);
    void dropEndedTones();
    void release();
    bool besideSteadyCarrier(const HeardFrame& frame) const;
    void forgetMomentsBefore(double seconds);

    DecoderSettings m_settings;
    std::unique_ptr<AudioFront> m_front;
    std::unique_ptr<ToneTracker> m_tracker;
    std::vector<std::unique_ptr<Tone>> m_tones;
    std::vector<HeardFrame> m_pending;
    std::vector<HeardFrame> m_frames;
    std::vector<FollowedTone> m_followed;
    std::deque<FollowedTone> m_steady; ///< steady carriers seen (id 0)
    std::vector<double> m_given;       ///< where the frames given out lately start
};

} // namespace orvinta::cw
