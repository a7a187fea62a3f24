// SPDX-License-Identifier: GPL-3.0-or-later
#include "carrierfit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::cw {
namespace {

/// Pieces further than this many widths away weigh less than 1 % and are left out.
constexpr double kReachWidths = 3.0;
/// A piece within a quarter unit of the moment lies on neither side of it.
constexpr double kSideUnits = 0.25;
/// The tone track lags a drifting tone by up to some 0.5 rad a unit, changing within a
/// few seconds: the turn is measured over the pieces within about this many units (a
/// Gaussian's width), enough pairs to measure it in the weakest signals read.
constexpr double kTurnUnits = 10.0;
/// The turn is measured every this many units and taken from the nearest.
constexpr double kTurnStepUnits = 0.5;

template <typename T> auto firstFrom(const std::vector<T>& items, double t) {
    return std::lower_bound(items.begin(), items.end(), t,
                            [](const T& item, double at) { return item.centre < at; });
}

} // namespace

CarrierFit::CarrierFit(const CumulativeBaseband& sums, const std::vector<MarkSpan>& marks,
                       double unit, double width)
    : m_width(width)
    , m_side(kSideUnits * unit) {
    // The product of two pieces following each other within a mark turns by as much as
    // the carrier turned from the one to the other.
    struct Pair {
        double centre;
        double spacing;
        std::complex<double> product;
    };
    std::vector<Pair> pairs;
    double lastTo = -std::numeric_limits<double>::infinity();
    for (const MarkSpan& m : marks) {
        // A dash is cut in three: the carrier's gain turns within it as much as from one
        // mark to the next when the signal fades fastest.
        const long count = std::max(1L, std::lround((m.to - m.from) / unit));
        const double length = (m.to - m.from) / static_cast<double>(count);
        for (long i = 0; i < count; ++i) {
            const double from = m.from + static_cast<double>(i) * length;
            if (!stretchHeld(sums, from, from + length)) {
                continue;
            }
            m_pieces.push_back(
                {from + 0.5 * length, length, stretchSum(sums, from, from + length)});
            const bool joined = i > 0 || std::abs(from - lastTo) < 1e-6;
            if (joined && m_pieces.size() > 1) {
                const Piece& before = m_pieces[m_pieces.size() - 2];
                pairs.push_back({from, m_pieces.back().centre - before.centre,
                                 std::conj(before.amplitude) * m_pieces.back().amplitude});
            }
            m_pieces.back().amplitude /= length;
        }
        lastTo = m.to;
    }
    std::sort(m_pieces.begin(), m_pieces.end(),
              [](const Piece& a, const Piece& b) { return a.centre < b.centre; });
    if (pairs.empty() || m_pieces.empty()) {
        return;
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const Pair& a, const Pair& b) { return a.centre < b.centre; });
    // Gaussian-weighted sums of the products: each pair weighs by its pieces' power, so
    // that the phase of a pair lost in the noise counts little.
    m_turnFrom = m_pieces.front().centre;
    m_turnStep = kTurnStepUnits * unit;
    const double turnWidth = kTurnUnits * unit;
    const auto steps =
        static_cast<std::size_t>(std::ceil((m_pieces.back().centre - m_turnFrom) / m_turnStep)) + 1;
    for (std::size_t step = 0; step < steps; ++step) {
        const double t = m_turnFrom + static_cast<double>(step) * m_turnStep;
        std::complex<double> product;
        double spacing = 0.0;
        double weight = 0.0;
        for (auto p = firstFrom(pairs, t - kReachWidths * turnWidth);
             p != pairs.end() && p->centre <= t + kReachWidths * turnWidth; ++p) {
            const double d = (p->centre - t) / turnWidth;
            const double g = std::exp(-0.5 * d * d);
            product += g * p->product;
            spacing += g * std::abs(p->product) * p->spacing;
            weight += g * std::abs(p->product);
        }
        m_turn.push_back(weight > 0.0 ? std::arg(product) * weight / spacing : 0.0);
    }
}

double CarrierFit::turnAt(double t) const {
    if (m_turn.empty()) {
        return 0.0;
    }
    const double step = std::round((t - m_turnFrom) / m_turnStep);
    return m_turn[static_cast<std::size_t>(
        std::clamp(step, 0.0, static_cast<double>(m_turn.size() - 1)))];
}

std::optional<double> CarrierFit::powerAt(double t, double noise, double noiseBound) const {
    // No stretch is left out; the power needs no turn taken out.
    const auto fitted = fitAt(t, noise, std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 0.0);
    if (!fitted || fitted->variance > noiseBound) {
        return std::nullopt;
    }
    return std::max(0.0, std::norm(fitted->gain) - fitted->variance);
}

std::optional<CarrierFit::Gain> CarrierFit::gainAt(double t, double noise, double from,
                                                   double to) const {
    return fitAt(t, noise, from, to, turnAt(t));
}

std::optional<CarrierFit::Gain> CarrierFit::fitAt(double t, double noise, double from, double to,
                                                  double turn) const {
    // Weighted least squares of amplitude = a + b d, d = (centre - t) / width, piece i
    // weighing w_i = length_i g_i (g_i the Gaussian of d_i): sums of the weights and of
    // their moments, and for a's noise the same moments of length_i g_i^2. Each piece is
    // first turned back by `turn` per sample from t to it.
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
    for (auto p = firstFrom(m_pieces, t - kReachWidths * m_width);
         p != m_pieces.end() && p->centre <= t + kReachWidths * m_width; ++p) {
        if (p->centre + 0.5 * p->length > from && p->centre - 0.5 * p->length < to) {
            continue;
        }
        const double d = (p->centre - t) / m_width;
        const double g = std::exp(-0.5 * d * d);
        const double w = p->length * g;
        const std::complex<double> amplitude =
            turn == 0.0 ? p->amplitude : p->amplitude * std::polar(1.0, -turn * (p->centre - t));
        w0 += w;
        w1 += w * d;
        w2 += w * d * d;
        v0 += w * g;
        v1 += w * g * d;
        v2 += w * g * d * d;
        h0 += w * amplitude;
        h1 += w * d * amplitude;
        before = before || p->centre < t - m_side;
        after = after || p->centre > t + m_side;
    }
    const double det = w0 * w2 - w1 * w1;
    if (!before || !after || det <= 1e-9 * w0 * w0) {
        return std::nullopt;
    }
    // a = sum of w_i (w2 - d_i w1) / det times the amplitudes, each with noise of
    // noise / length_i.
    return Gain{(h0 * w2 - h1 * w1) / det,
                noise * (w2 * w2 * v0 - 2.0 * w2 * w1 * v1 + w1 * w1 * v2) / (det * det)};
}

} // namespace orvinta::cw
