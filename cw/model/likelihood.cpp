// SPDX-License-Identifier: GPL-3.0-or-later
#include "likelihood.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvinta::cw {
namespace {

/// Arguments below which I0 is summed as its power series, sum of (x^2/4)^k / (k!)^2;
/// above, by its asymptotic expansion e^x / sqrt(2 pi x) times the sum of
/// ((2k-1)!!)^2 / (k! (8x)^k). That expansion diverges: its terms shrink only up to
/// k = 2x, and cut there it is good to 1e-12 at x = 12.
constexpr double kBesselSeriesLimit = 12.0;
/// Terms of the power series taken: at x = 12 (x^2/4 = 36) the next is below 1e-18 of
/// the sum.
constexpr std::size_t kSeriesTerms = 30;
/// Terms of the expansion taken: all of them shrink for x >= 12.
constexpr std::size_t kAsymptoticTerms = 24;

/// The coefficients of both series, so that each is a polynomial evaluated by Horner's
/// rule, with no division.
constexpr std::array<double, kSeriesTerms> besselSeries() {
    std::array<double, kSeriesTerms> c{1.0};
    for (std::size_t k = 1; k < kSeriesTerms; ++k) {
        c[k] = c[k - 1] / static_cast<double>(k * k);
    }
    return c;
}

constexpr std::array<double, kAsymptoticTerms> besselAsymptotic() {
    std::array<double, kAsymptoticTerms> c{1.0};
    for (std::size_t k = 1; k < kAsymptoticTerms; ++k) {
        const auto odd = static_cast<double>(2 * k - 1);
        c[k] = c[k - 1] * odd * odd / static_cast<double>(8 * k);
    }
    return c;
}

template <std::size_t N> double horner(const std::array<double, N>& c, double x) {
    double sum = c[N - 1];
    for (std::size_t k = N - 1; k-- > 0;) {
        sum = sum * x + c[k];
    }
    return sum;
}

/// No model of a keyed carrier is exact: keying edges, the channel filter's smear and a
/// timing a fraction of a unit off let about 2 % of a mark's power into the stretches
/// beside it (-17 dB). That much of the signal counts as noise, so that no stretch is
/// trusted beyond a signal-to-noise ratio of 17 dB.
constexpr double kLeakage = 0.02;

/// phasedCarrierLikelihood() with log I0(kappa), which only the phase sets, given.
double phasedLikelihood(std::complex<double> sum, double length, double signal, double noise,
                        std::complex<double> phase, double logScale) {
    // The carrier A e^(i theta) leaves exp(2 A Re(sum e^(-i theta)) / noise - signal
    // length / noise) over noise alone; averaged over the von Mises density
    // exp(kappa cos(theta - phi)) / (2 pi I0(kappa)), with phase = kappa e^(i phi), that
    // gives I0(|phase + 2 A sum / noise|) / I0(kappa) e^(-signal length / noise).
    const std::complex<double> total = phase + 2.0 * std::sqrt(signal) * sum / noise;
    return logBesselI0(std::sqrt(std::norm(total))) - logScale - signal * length / noise;
}

double logPhaseScale(std::complex<double> phase) {
    return phase == 0.0 ? 0.0 : logBesselI0(std::sqrt(std::norm(phase)));
}

} // namespace

double logBesselI0(double x) {
    static constexpr auto kSeries = besselSeries();
    static constexpr auto kAsymptotic = besselAsymptotic();
    x = std::abs(x);
    if (x < kBesselSeriesLimit) {
        return std::log(horner(kSeries, 0.25 * x * x));
    }
    return x - 0.5 * std::log(2.0 * std::numbers::pi * x) + std::log(horner(kAsymptotic, 1.0 / x));
}

double carrierLikelihood(double energy, double length, double signal, double noise) {
    return phasedCarrierLikelihood(std::sqrt(energy), length, signal, noise, 0.0);
}

double phasedCarrierLikelihood(std::complex<double> sum, double length, double signal, double noise,
                               std::complex<double> phase) {
    return phasedLikelihood(sum, length, signal, noise, phase, logPhaseScale(phase));
}

double fadedCarrierLikelihood(double energy, double length, double signal, double noise,
                              const FadeSpread& spread) {
    return fadedCarrierLikelihood(std::sqrt(energy), length, signal, noise, spread, 0.0);
}

double fadedCarrierLikelihood(std::complex<double> sum, double length, double signal, double noise,
                              const FadeSpread& spread, std::complex<double> phase) {
    // The leakage is a share of the mark's energy (signal * length^2), spread as noise
    // over the stretch's samples.
    noise += kLeakage * signal * length;
    // log sum_k w_k exp(L_k), kept finite by taking the largest term out.
    std::array<double, FadeSpread::kFactors.size()> terms{};
    double largest = -std::numeric_limits<double>::infinity();
    const double scale = logPhaseScale(phase);
    for (std::size_t k = 0; k < terms.size(); ++k) {
        terms[k] = spread.weights[k] > 0.0
                       ? std::log(spread.weights[k]) +
                             phasedLikelihood(sum, length, signal * FadeSpread::kFactors[k], noise,
                                              phase, scale)
                       : -std::numeric_limits<double>::infinity();
        largest = std::max(largest, terms[k]);
    }
    double total = 0.0;
    for (const double t : terms) {
        total += std::exp(t - largest);
    }
    return largest + std::log(total);
}

} // namespace orvinta::cw
