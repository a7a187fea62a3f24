// SPDX-License-Identifier: GPL-3.0-or-later
#include "carrierfit.h"

#include <algorithm>
#include <cmath>

namespace orvinta::cw {
namespace {

/// Pieces further than this many widths away weigh less than 1 % and are left out.
constexpr double kReachWidths = 3.0;
/// A piece within a quarter unit of the moment lies on neither side of it.
constexpr double kSideUnits = 0.25;

} // namespace

CarrierFit::CarrierFit(const CumulativeBaseband& sums, const std::vector<MarkSpan>& marks,
                       double unit, double width)
    : width_(width)
    , side_(kSideUnits * unit) {
    for (const MarkSpan& m : marks) {
        // A dash is cut in three: the carrier's gain turns within it as much as from one
        // mark to the next when the signal fades fastest.
        const long count = std::max(1L, std::lround((m.to - m.from) / unit));
        const double length = (m.to - m.from) / static_cast<double>(count);
        for (long i = 0; i < count; ++i) {
            const double from = m.from + static_cast<double>(i) * length;
            if (stretchHeld(sums, from, from + length)) {
                pieces_.push_back(
                    {from + 0.5 * length, length, stretchSum(sums, from, from + length) / length});
            }
        }
    }
    std::sort(pieces_.begin(), pieces_.end(),
              [](const Piece& a, const Piece& b) { return a.centre < b.centre; });
}

std::optional<double> CarrierFit::powerAt(double t, double noise, double noiseBound) const {
    // Weighted least squares of amplitude = a + b d, d = (centre - t) / width, piece i
    // weighing w_i = length_i g_i (g_i the Gaussian of d_i): sums of the weights and of
    // their moments, and for a's noise the same moments of length_i g_i^2.
    double w0 = 0.0;
    double w1 = 0.0;
    double w2 = 0.0;
    double v0 = 0.0;
    double v1 = 0.0;
    double v2 = 0.0;
    std::complex<double> h0;
    std::complex<double> h1;
    bool before = false;
    bool after = false;
    for (auto p =
             std::lower_bound(pieces_.begin(), pieces_.end(), t - kReachWidths * width_,
                              [](const Piece&piece, double from) { return piece.centre < from; });
         p != pieces_.end() && p->centre <= t + kReachWidths * width_; ++p) {
        const double d = (p->centre - t) / width_;
        const double g = std::exp(-0.5 * d * d);
        const double w = p->length * g;
        w0 += w;
        w1 += w * d;
        w2 += w * d * d;
        v0 += w * g;
        v1 += w * g * d;
        v2 += w * g * d * d;
        h0 += w * p->amplitude;
        h1 += w * d * p->amplitude;
        before = before || p->centre < t - side_;
        after = after || p->centre > t + side_;
    }
    const double det = w0 * w2 - w1 * w1;
    if (!before || !after || det <= 1e-9 * w0 * w0) {
        return std::nullopt;
    }
    const std::complex<double> a = (h0 * w2 - h1 * w1) / det;
    // a = sum of w_i (w2 - d_i w1) / det times the amplitudes, each with noise of
    // noise / length_i.
    const double spread = noise * (w2 * w2 * v0 - 2.0 * w2 * w1 * v1 + w1 * w1 * v2) / (det * det);
    if (spread > noiseBound) {
        return std::nullopt;
    }
    return std::max(0.0, std::norm(a) - spread);
}

} // namespace orvinta::cw
