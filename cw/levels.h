// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Signal and noise levels along a frame, learnt from the keyed marks and the spaces of a
// reading. A satellite that tumbles fades within half a second by 20 dB and more: the
// signal level is followed from the marks around each moment, as closely as the
// signal-to-noise ratio allows, not averaged over seconds.

#include "likelihood.h"

#include <vector>

namespace orvinta::cw {

/// Levels per baseband sample over a stretch of baseband, kept in cells a fraction of a
/// unit wide.
class LevelTrack {
public:
    LevelTrack(double from, double to, double cellSamples);

    /// A stretch the reading takes as key up, and the energy its matched filter gave;
    /// `edge` if it touches a mark (then it tells the noise only when no other does).
    void addSpace(double from, double to, double energy, bool edge = false);
    /// A stretch the reading takes as key down.
    void addMark(double from, double to, double energy);

    /// Learns the levels for units `unit` samples long: the noise from the spaces
    /// within some 60 units of each moment, the signal from the marks within as few
    /// units as the signal-to-noise ratio allows (one unit for a strong signal, up to 40
    /// for the weakest). Far from any mark the signal level falls toward nothing, so
    /// that a frame's end or a fade long enough to hide every mark leaves its characters
    /// unread rather than guessed.
    void follow(double unit);

    /// Signal power per sample at `t`.
    double signal(double t) const;
    /// Signal power per sample for the stretch from `from` to `to` as the marks beside it
    /// show it, its own left out: a mark read where there is none cannot lower the level
    /// that judges it.
    double signalBeside(double from, double to) const;
    /// Noise power per sample at `t`.
    double noise(double t) const;
    /// How far the marks' own levels fall below the level their neighbours show:
    /// the fading the matched filters must allow for.
    const FadeSpread& fades() const { return fades_; }
    /// Mean signal and noise power per sample over the marks.
    double meanSignal() const { return meanSignal_; }
    double meanNoise() const { return meanNoise_; }

private:
    void followOver(double signalReach, double noiseReach);
    struct Stretch {
        double centre;
        double length;
        double energy;
        bool edge;
    };
    std::size_t cellOf(double t) const;
    void learnFades(const std::vector<double>& ownLevel, const std::vector<double>& neighbours);

    double from_;
    double cell_;
    std::vector<Stretch> marks_;
    std::vector<Stretch> spaces_;
    std::vector<double> signal_;
    std::vector<double> noise_;
    std::vector<double> markWeight_; ///< per cell, before spreading
    std::vector<double> markSum_;
    std::vector<double> spreadWeight_; ///< per cell, spread over the reach
    std::vector<double> spreadSum_;
    double keep_ = 0.0; ///< the spreading's factor from one cell to the next
    FadeSpread fades_;
    double meanSignal_ = 0.0;
    double meanNoise_ = 1.0;
};

} // namespace orvinta::cw
