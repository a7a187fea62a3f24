// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One keyed tone's decoder: its baseband -> prefix search (candidates) -> prefix heard,
// timing learnt -> frame read as soon as the baseband shows its last character complete
// (else once the longest frame is in, up to where the next heard prefix begins) ->
// frames.

#include "cw/audio/noisefloor.h"
#include "cw/reading/framereader.h"
#include "cw/search/prefixcheck.h"
#include "cw/search/prefixsearch.h"
#include "cwdecoder.h"

#include <complex>
#include <optional>
#include <vector>

namespace orvinta::cw {

class ToneDecoder {
public:
    /// For baseband at `rate` samples per second whose sample i is centred
    /// `firstSeconds + i / rate` seconds into the recording.
    ToneDecoder(double rate, double firstSeconds, const DecoderSettings& settings);

    /// Takes baseband samples and the tone each was mixed down from.
    void push(const std::complex<float>* samples, const float* tones, std::size_t count);
    /// Reads what remains at the end.
    void finish();
    /// Reads early, on the baseband so far and `count` provisional samples after it
    /// (audio beyond what the tone's estimates cover, mixed along its newest tone):
    /// a frame whose last character they show complete comes out now. The provisional
    /// samples are not kept.
    void lookAhead(const std::complex<float>* samples, const float* tones, std::size_t count);
    /// The baseband index an early reading needs the baseband (provisional samples
    /// included) to reach; infinite while no candidate waits for one.
    double wantsUpTo() const;
    /// Frames read since the last call, in order.
    std::vector<HeardFrame> takeFrames();

    /// Baseband samples held (memory stays bounded by the longest frame).
    std::size_t held() const { return m_samples.size(); }

private:
    struct Candidate {
        PrefixCandidate found; ///< absolute baseband indices
        /// The same prefix as found at other speeds: tried when `found` is not heard.
        std::vector<PrefixCandidate> others;
        std::optional<HeardPrefix> heard;
        double readyAt = 0.0; ///< the next early reading once the baseband reaches this
    };

    void process(bool final);
    bool readNext(bool final);
    bool readEarly();
    void dropInsideFramesRead();
    /// The frame of `prefix` read whole, or with `placeOnly` only placed.
    FrameReadout read(const HeardPrefix& prefix, bool placeOnly = false);
    const HeardPrefix& hear(Candidate& candidate);
    /// Where a frame must end at the latest, and whether a next frame was heard after it.
    struct FrameEnd {
        double limit;
        bool nextHeard;
    };
    FrameEnd limitAfter(std::size_t index, const HeardPrefix& prefix);
    void emit(const FrameReadout& reading);
    void trim();
    double end() const { return static_cast<double>(m_base + m_samples.size()); }

    DecoderSettings m_settings;
    double m_rate;
    double m_firstSeconds;
    std::vector<std::complex<float>> m_samples;
    std::vector<float> m_tones;
    CumulativeBaseband m_sums; ///< m_sums[i]: sum of everything before m_samples[i]
    std::size_t m_base = 0;    ///< absolute index of m_samples[0]
    NoiseFloor m_noise;
    PrefixSearch m_search;
    std::vector<Candidate> m_candidates;
    double m_doneUntil = 0.0; ///< frames are read up to here
    double m_longestUnit;
    std::vector<HeardFrame> m_frames;
};

} // namespace orvinta::cw
