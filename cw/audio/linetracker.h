// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every keyed line in the band, followed: each analysis's peaks are handed to the lines
// already followed (each takes the strongest peak near it); a peak that stays clear of
// them for a few analyses starts a line of its own. A line holds its tone through
// silence, going on along its drift, and ends after half a minute without a peak. Each
// line's tone is smoothed by a straight line fitted to three seconds of its estimates.

#include "linefinder.h"

#include <deque>
#include <vector>

namespace orvinta::cw {

/// A line's tone at a moment (an index of the audio the finder analysed).
struct ToneEstimate {
    double sample = 0.0;
    double frequencyHz = 0.0;
    double strength = 0.0;         ///< over the noise floor; 0 while the line is held
    double slopeHzPerSample = 0.0; ///< the drift there (smoothed estimates only)
    /// Whether the line was heard keyed around this moment: enough of the analyses the
    /// estimate was fitted to found its peak well above the noise (smoothed estimates
    /// only). A line that noise started, or one held through silence, is not.
    bool keyed = false;
};

class LineTracker {
public:
    struct Line {
        int id = 0;
        double firstSample = 0.0; ///< the moment the line was first seen
        bool ended = false;
        /// Smoothed estimates not yet taken, in order.
        std::vector<ToneEstimate> smoothed;
    };

    /// For analyses of audio at `sampleRate`.
    explicit LineTracker(double sampleRate)
        : sampleRate_(sampleRate) {}

    /// Follows the lines through one more analysis.
    void update(const SpectrumMoment& moment);
    /// The tone of line `id` at the newest analysis, from the straight line fitted to its
    /// latest estimates: the smoothed estimates lag it by half the fit. False for a line
    /// not followed.
    bool newest(int id, ToneEstimate& estimate) const;
    /// Whether a line followed now is within `reachHz` of `hz` at `sample`.
    bool follows(double hz, double sample, double reachHz) const;
    /// Ends every line: the rest of their estimates become due.
    void finish();

    /// The lines followed, ended ones included until forget() drops them.
    std::vector<Line>& lines() { return lines_; }
    void forget(int id);

private:
    /// One analysis's estimate of a line: heard at the energy's centre in the window.
    struct Raw {
        double moment = 0.0;
        double heard = 0.0;
        double frequencyHz = 0.0;
        double strength = 0.0; ///< 0 where the line was not seen
    };
    struct Followed {
        int id = 0;
        double frequencyHz = 0.0; ///< when last seen
        double lastSeen = 0.0;
        double slopeHzPerSample = 0.0; ///< its drift, from the last straight line fitted
        /// Where its tone is expected at `sample`: along its drift since it was last seen.
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
    Line* lineOf(int id);

    double sampleRate_;
    std::vector<Followed> followed_;
    std::vector<Newcomer> newcomers_;
    std::vector<Line> lines_;
    int nextId_ = 1;
};

} // namespace orvinta::cw
