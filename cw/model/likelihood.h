// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How much a stretch of baseband says "carrier" rather than "no carrier": the matched
// filter of a keyed carrier of unknown phase (the samples of the stretch summed
// coherently), and the likelihood ratio of its energy for a carrier of a given level,
// allowing for fades deeper than the level's estimate shows; where the carrier's phase
// is known roughly, the ratio weighs the sum's phase as well.

#include "cw/audio/cumulativebaseband.h"

#include <array>
#include <complex>
#include <vector>

namespace orvinta::cw {

/// Natural log of the modified Bessel function I0.
double logBesselI0(double x);

/// Log-likelihood ratio "carrier" against "no carrier" of a stretch of `length` samples
/// whose matched filter gave `energy`, for a carrier of power `signal` per sample and
/// unknown phase in complex noise of power `noise` per sample: the Rician density over
/// the exponential one, log I0(2 sqrt(energy signal) / noise) - signal length / noise.
double carrierLikelihood(double energy, double length, double signal, double noise);

/// carrierLikelihood() where the carrier's phase is roughly known (partially coherent
/// detection): `phase` is kappa e^(i phi) of a von Mises density of the phase about phi,
/// kappa 0 for a phase not known at all; `sum` is the stretch's stretchSum().
double phasedCarrierLikelihood(std::complex<double> sum, double length, double signal, double noise,
                               std::complex<double> phase);

/// How deep below its estimate a carrier's level may have faded at a given moment: a
/// few fade factors, each with its probability. A steady carrier has all the weight at
/// factor 1; a fading one spreads it, and a missing mark then counts less against it.
struct FadeSpread {
    static constexpr std::array<double, 3> kFactors{1.0, 0.2, 0.04};
    std::array<double, 3> weights{1.0, 0.0, 0.0};
};

/// The likelihood ratio of carrierLikelihood() averaged over the fades of `spread`, with
/// a share of the signal's power counted as noise: leakage from the marks beside the
/// stretch, which no model of the keying avoids.
double fadedCarrierLikelihood(double energy, double length, double signal, double noise,
                              const FadeSpread& spread);

/// fadedCarrierLikelihood() for a stretch whose samples summed to `sum`, where the
/// carrier's phase is roughly known (see phasedCarrierLikelihood()).
double fadedCarrierLikelihood(std::complex<double> sum, double length, double signal, double noise,
                              const FadeSpread& spread, std::complex<double> phase);

} // namespace orvinta::cw
