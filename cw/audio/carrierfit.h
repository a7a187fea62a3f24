// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The carrier's power along a fading frame, from its complex gain. A tumbling satellite's
// signal is the sum of paths whose phases turn against each other: a Rayleigh trough is
// where their complex sum passes near zero, between marks that are strong on either side
// of it, often with opposite phases. The power of the marks around a moment, averaged,
// misses such a trough; a straight line through their complex amplitudes (a local linear
// regression, the complex gain being smooth at the fading's pace) finds it.

#include "cumulativebaseband.h"

#include <complex>
#include <optional>
#include <vector>

namespace orvinta::cw {

/// A stretch of baseband taken as key down, from `from` to `to`.
struct MarkSpan {
    double from = 0.0;
    double to = 0.0;
};

/// The carrier's complex gain fitted through the marks, near any moment.
class CarrierFit {
public:
    /// Fits through `marks` cut into pieces a unit (`unit` samples) long; each moment is
    /// fitted through the pieces within a few times `width` samples of it, weighted by
    /// their length and a Gaussian of their distance.
    CarrierFit(const CumulativeBaseband& sums, const std::vector<MarkSpan>& marks, double unit,
               double width);

    /// The carrier's power per sample at `t`, for noise of `noise` per sample: nothing
    /// where marks lie on one side of `t` only (a line would be guessed beyond them) or
    /// where the noise the fit keeps exceeds `noiseBound`.
    std::optional<double> powerAt(double t, double noise, double noiseBound) const;

    /// The carrier's complex gain per sample at `t`, and the variance of that estimate.
    struct Gain {
        std::complex<double> gain;
        double variance;
    };
    /// The gain at `t` for noise of `noise` per sample, fitted without the pieces that
    /// overlap the stretch from `from` to `to`, so that a stretch is not judged by its own
    /// noise; nothing where marks lie on one side of `t` only. The carrier's turn (the
    /// tone track's residual offset, measured between the pieces of each dash) is taken
    /// out first, so that a fit over several units keeps the carrier's phase.
    std::optional<Gain> gainAt(double t, double noise, double from, double to) const;

private:
    struct Piece {
        double centre;
        double length;
        std::complex<double> amplitude; ///< the mean over the piece
    };
    /// The carrier's turn per sample near `t`.
    double turnAt(double t) const;
    /// gainAt() with the pieces turned back by `turn` per sample.
    std::optional<Gain> fitAt(double t, double noise, double from, double to, double turn) const;

    std::vector<Piece> m_pieces;
    double m_width;
    double m_side;              ///< a piece this close to a moment lies on neither side of it
    std::vector<double> m_turn; ///< per sample, every m_turnStep samples from m_turnFrom
    double m_turnFrom = 0.0;
    double m_turnStep = 1.0;
};

} // namespace orvinta::cw
