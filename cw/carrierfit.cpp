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
    const auto first =
        std::lower_bound(pieces_.begin(), pieces_.end(), t - kReachWidths * width_,
                         [](const Piece& p, double from) { return p.centre < from; });
    // Weighted least squares of amplitude = a + b (centre - t): sums of the weights and
    // of their moments.
    double w0 = 0.0;
    double w1 = 0.0;
    double w2 = 0.0;
    std::complex<double> h0;
    std::complex<double> h1;
    bool before = false;
    bool after = false;
    auto last = first;
    for (; last != pieces_.end() && last->centre <= t + kReachWidths * width_; ++last) {
        const double d = (last->centre - t) / width_;
        const double w = last->length * std::exp(-0.5 * d * d);
        w0 += w;
        w1 += w * d;
        w2 += w * d * d;
        h0 += w * last->amplitude;
        h1 += w * d * last->amplitude;
        before = before || last->centre < t - side_;
        after = after || last->centre > t + side_;
    }
    const double det = w0 * w2 - w1 * w1;
    if (!before || !after || det <= 1e-9 * w0 * w0) {
        return std::nullopt;
    }
    const std::complex<double> a = (h0 * w2 - h1 * w1) / det;
    // a is a weighted sum of the amplitudes, each with noise of noise / length.
    double spread = 0.0;
    for (auto p = first; p != last; ++p) {
        const double d = (p->centre - t) / width_;
        const double c = p->length * std::exp(-0.5 * d * d) * (w2 - d * w1) / det;
        spread += c * c * noise / p->length;
    }
    if (spread > noiseBound) {
        return std::nullopt;
    }
    return std::max(0.0, std::norm(a) - spread);
}

} // namespace orvinta::cw
