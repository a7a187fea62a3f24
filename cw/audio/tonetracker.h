// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every keyed tone in the band, followed: each analysis's peaks are handed to the tones
// already followed (each takes the strongest peak near it); a peak that stays clear of
// them for a few analyses starts a tone of its own. A tone holds its frequency through
// silence, going on along its drift, and ends after half a minute without a peak. Each
// tone's frequency is smoothed by a straight line fitted to three seconds of its estimates.

#include "tonefinder.h"

#include <deque>
#include <vector>

namespace orvinta::cw {

/// A tone's frequency at a moment (an index of the audio the finder analysed).
struct ToneEstimate {
    double sample = 0.0;
    double frequencyHz = 0.0;
    double strength = 0.0;         ///< over the noise floor; 0 while the tone is held
    double slopeHzPerSample = 0.0; ///< the drift there (smoothed estimates only)
    /// Whether the tone was heard keyed around this moment: enough of the analyses the
    /// estimate was fitted to found its peak well above the noise (smoothed estimates
    /// only). A tone that noise started, or one held through silence, is not.
    bool keyed = false;
};

class ToneTracker {
public:
    struct Tone {
        int id = 0;
        double firstSample = 0.0; ///< the moment the tone was first seen
        bool ended = false;
        /// Smoothed estimates not yet taken, in order.
        std::vector<ToneEstimate> smoothed;
    };

    /// For analyses of audio at `sampleRate`.
    explicit ToneTracker(double sampleRate)
        : m_sampleRate(sampleRate) {}

    /// Follows the tones through one more analysis.
    void update(const SpectrumMoment& moment);
    /// The frequency of tone `id` at the newest analysis, from the straight line fitted to its
    /// latest estimates: the smoothed estimates lag it by half the fit. False for a tone
    /// not followed.
    bool newest(int id, ToneEstimate& estimate) const;
    /// Whether a tone followed now is within `reachHz` of `hz` at `sample`.
    bool follows(double hz, double sample, double reachHz) const;
    /// Ends every tone: the rest of their estimates become due.
    void finish();

    /// The tones followed, ended ones included until forget() drops them.
    std::vector<Tone>& tones() { return m_tones; }
    void forget(int id);

private:
    /// One analysis's estimate of a tone: heard at the energy's centre in the window.
    struct Raw {
        double moment = 0.0;
        double heard = 0.0;
        double frequencyHz = 0.0;
        double strength = 0.0; ///< 0 where the tone was not seen
    };
    struct Followed {
        int id = 0;
        double frequencyHz = 0.0; ///< when last seen
        double lastSeen = 0.0;
        double slopeHzPerSample = 0.0; ///< its drift, from the last straight line fitted
        /// Where its frequency is expected at `sample`: along its drift since it was last seen.
        double expectedHz(double sample) const;
        std::deque<Raw> raw;
        bool smoothing = false;
    };
    struct Newcomer {
        double frequencyHz = 0.0;
        int seen = 0;
        bool matched = false;
    };
    void assign(const SpectrumMoment& moment, std::vector<bool>& taken);
    std::size_t peakFor(const Followed& f, const SpectrumMoment& moment,
                        const std::vector<bool>& taken) const;
    void welcome(const SpectrumMoment& moment, const std::vector<bool>& taken);
    void retire(double now);
    /// The straight line fitted to the estimates of `f`, read at `moment`; its drift is
    /// learnt into `slope` where the estimates spread enough.
    static ToneEstimate fitted(const Followed& f, double moment, double fallbackHz,
                               double sampleRate, double& slope);
    void emitSmoothed(Followed& f, std::size_t middle);
    void flush(Followed& f);
    Tone* toneOf(int id);

    double m_sampleRate;
    std::vector<Followed> m_followed;
    std::vector<Newcomer> m_newcomers;
    std::vector<Tone> m_tones;
    int m_nextId = 1;
};

} // namespace orvinta::cw
