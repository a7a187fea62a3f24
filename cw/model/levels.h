// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Signal and noise levels along a frame, learnt from the keyed marks and the spaces of a
// reading. A satellite that tumbles fades within half a second by 20 dB and more: the
// signal level is followed from the marks around each moment, as closely as the
// signal-to-noise ratio allows, not averaged over seconds.

#include "cw/audio/carrierfit.h"
#include "likelihood.h"

#include <complex>
#include <optional>
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
    /// A stretch the reading takes as key down; `teaches` if it may tell how deep the
    /// signal fades (a mark of a character read clearly).
    void addMark(double from, double to, double energy, bool teaches = true);

    /// Learns the levels for units `unit` samples long: the noise from the spaces
    /// within some 60 units of each moment, the signal from the marks within as few
    /// units as the signal-to-noise ratio allows (one unit for a strong signal, up to 40
    /// for the weakest). Far from any mark the signal level falls toward nothing, so
    /// that a frame's end or a fade long enough to hide every mark leaves its characters
    /// unread rather than guessed.
    void follow(double unit);
    /// Follows the carrier's complex gain through the marks (CarrierFit), after
    /// follow(). Where the signal fades, its level through the troughs between the marks
    /// comes from the gain where that is precise. A steady signal keeps the levels
    /// follow() gave. The gain tells the carrier's phase (phaseFor()) where the signal is
    /// steady or fades slowly.
    void followCarrier(const CumulativeBaseband& sums, double unit);

    /// Signal power per sample at `t`.
    double signal(double t) const;
    /// Signal power per sample that judges the stretch from `from` to `to`: the level at
    /// its middle or, where own marks are left out, as the marks beside the stretch show
    /// it, so that a mark taken where there is none cannot lower the level that judges it.
    double signalFor(double from, double to) const;
    /// Whether signalFor() leaves a stretch's own marks out (for the levels a prefix is
    /// checked by).
    void leaveOwnMarksOut(bool leave) { m_leaveOut = leave; }
    /// What the carrier's gain around the stretch from `from` to `to` (its own marks
    /// left out) tells of its phase there, as phasedCarrierLikelihood() takes it; 0
    /// (unknown) where the signal fades too fast for its phase to carry over from one
    /// mark to the next, or where no gain was followed.
    std::complex<double> phaseFor(double from, double to) const;
    /// Noise power per sample at `t`.
    double noise(double t) const;
    /// How far the marks' own levels fall below the level their neighbours show:
    /// the fading the matched filters must allow for.
    const FadeSpread& fades() const { return m_fades; }
    /// Whether the signal fades: it fades from mark to mark, or its level swings by
    /// several dB over the frame.
    bool fading() const;
    /// Whether the signal fades from one mark to the next: more than a few of the marks
    /// well below their neighbours. A slow fade takes whole stretches down together.
    bool fadesFromMarkToMark() const;
    /// Mean signal and noise power per sample over the marks.
    double meanSignal() const { return m_meanSignal; }
    double meanNoise() const { return m_meanNoise; }

private:
    void followOver(double signalReach, double noiseReach);
    void followNoise(double reach);
    void followSignal(double reach);
    struct Stretch {
        double centre;
        double length;
        double energy;
        bool edge;    ///< a space touching a mark
        bool teaches; ///< a mark that may tell the fading
    };
    std::size_t cellOf(double t) const;
    void learnFades(const std::vector<double>& ownLevel, const std::vector<double>& neighbours);
    void learnSwing();
    double phaseMisfit(const CumulativeBaseband& sums) const;

    double m_from;
    double m_cell;
    std::vector<Stretch> m_marks;
    std::vector<Stretch> m_spaces;
    std::vector<double> m_signal;
    std::vector<double> m_noise;
    std::vector<double> m_markWeight; ///< per cell, before spreading
    std::vector<double> m_markSum;
    std::vector<double> m_spreadWeight; ///< per cell, spread over the reach
    std::vector<double> m_spreadSum;
    double m_keep = 0.0; ///< the spreading's factor from one cell to the next
    bool m_leaveOut = false;
    FadeSpread m_fades;
    std::optional<CarrierFit> m_phase; ///< where the phase carries from mark to mark
    double m_phaseMisfit = 0.0;        ///< how far m_phase misses the marks, per power
    double m_swingDb = 0.0;            ///< between the quietest and the loudest tenth of the frame
    double m_meanSignal = 0.0;
    double m_meanNoise = 1.0;
};

/// The log-likelihood ratio "carrier" against "no carrier" of the stretch from `from` to
/// `to`, judged by `levels`; 0 (no evidence) where the stretch leaves the sums.
double carrierEvidence(const CumulativeBaseband& sums, const LevelTrack& levels, double from,
                       double to);

/// How much the stretch agrees with being a mark (`down`) or a space: its evidence, or
/// the evidence negated. A timing is never exact: the stretch counts where it agrees
/// best within `leeway` samples either way.
double agreement(const CumulativeBaseband& sums, const LevelTrack& levels, double from, double to,
                 bool down, double leeway);

} // namespace orvinta::cw
