// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The carrier's power along a fading frame, from its complex gain. A tumbling satellite's
// signal is the sum of paths whose phases turn against each other: a Rayleigh trough is
// where their complex sum passes near zero, between marks that are strong on either side
// of it, often with opposite phases. The power of the marks around a moment, averaged,
// misses such a trough; a straight line through their complex amplitudes (a local linear
// regression, the complex gain being smooth at the fading's pace) finds it.

#include "likelihood.h"

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

private:
    struct Piece {
        double centre;
        double length;
        std::complex<double> amplitude; ///< the mean over the piece
    };
    std::vector<Piece> pieces_;
    double width_;
    double side_; ///< a piece this close to a moment lies on neither side of it
};

} // namespace orvinta::cw
