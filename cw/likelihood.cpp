// SPDX-License-Identifier: GPL-3.0-or-later
#include "likelihood.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvinta::cw {
namespace {

/// Arguments below which I0 is summed as a power series; above, its asymptotic expansion
/// is exact to double precision.
constexpr double kBesselSeriesLimit = 30.0;
/// No model of a keyed carrier is exact: keying edges, the channel filter's smear and a
/// timing a fraction of a unit off let about 2 % of a mark's power into the stretches
/// beside it (-17 dB). That much of the signal counts as noise, so that no stretch is
/// trusted beyond a signal-to-noise ratio of 17 dB.
constexpr double kLeakage = 0.02;

std::complex<double> sumAt(const CumulativeBaseband& sums, double t) {
    const double whole = std::floor(t);
    const auto i = static_cast<std::size_t>(whole);
    const double part = t - whole;
    return part == 0.0 ? sums[i] : sums[i] + part * (sums[i + 1] - sums[i]);
}

} // namespace

bool stretchHeld(const CumulativeBaseband& sums, double from, double to) {
    return from >= 0.0 && to >= from && to <= static_cast<double>(sums.size()) - 1.0;
}

std::complex<double> stretchSum(const CumulativeBaseband& sums, double from, double to) {
    if (!stretchHeld(sums, from, to)) {
        return 0.0;
    }
    return sumAt(sums, to) - sumAt(sums, from);
}

double stretchEnergy(const CumulativeBaseband& sums, double from, double to) {
    return std::norm(stretchSum(sums, from, to));
}

double logBesselI0(double x) {
    x = std::abs(x);
    if (x < kBesselSeriesLimit) {
        // Power series: sum of ((x/2)^k / k!)^2.
        const double q = 0.25 * x * x;
        double term = 1.0;
        double sum = 1.0;
        for (int k = 1; k < 200; ++k) {
            term *= q / (static_cast<double>(k) * static_cast<double>(k));
            sum += term;
            if (term < 1e-17 * sum) {
                break;
            }
        }
        return std::log(sum);
    }
    // Asymptotic expansion: e^x / sqrt(2 pi x) times the sum of
    // ((2k-1)!!)^2 / (k! (8x)^k).
    double term = 1.0;
    double series = 1.0;
    for (int k = 1; k < 12; ++k) {
        const double odd = 2.0 * k - 1.0;
        term *= odd * odd / (static_cast<double>(k) * 8.0 * x);
        series += term;
        if (term < 1e-17) {
            break;
        }
    }
    return x - 0.5 * std::log(2.0 * std::numbers::pi * x) + std::log(series);
}

double carrierLikelihood(double energy, double length, double signal, double noise) {
    return phasedCarrierLikelihood(std::sqrt(energy), length, signal, noise, 0.0);
}

double phasedCarrierLikelihood(std::complex<double> sum, double length, double signal, double noise,
                               std::complex<double> phase) {
    // The carrier A e^(i theta) leaves exp(2 A Re(sum e^(-i theta)) / noise - signal
    // length / noise) over noise alone; averaged over the von Mises density
    // exp(kappa cos(theta - phi)) / (2 pi I0(kappa)), with phase = kappa e^(i phi), that
    // gives I0(|phase + 2 A sum / noise|) / I0(kappa) e^(-signal length / noise).
    return logBesselI0(std::abs(phase + 2.0 * std::sqrt(signal) * sum / noise)) -
           logBesselI0(std::abs(phase)) - signal * length / noise;
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
    for (std::size_t k = 0; k < terms.size(); ++k) {
        terms[k] = spread.weights[k] > 0.0
                       ? std::log(spread.weights[k]) +
                             phasedCarrierLikelihood(sum, length, signal * FadeSpread::kFactors[k],
                                                     noise, phase)
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
