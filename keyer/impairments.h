// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the way from the satellite to the recording adds to a keyed tone: fading and
// noise other than white.

#include <complex>
#include <cstddef>
#include <random>
#include <vector>

namespace orvinta::keyer {

/// Rayleigh fading: the complex gain of many paths of equal strength whose Doppler
/// shifts spread up to dopplerHz either way (Clarke's model, as a sum of sinusoids), of
/// mean power 1. About one fade of 10 dB or more comes every 1 / dopplerHz seconds,
/// some reach 20 dB and deeper.
class RayleighFading {
public:
    RayleighFading(double dopplerHz, double seconds, unsigned seed);

    /// The gain at `seconds`, interpolated between points a few milliseconds apart.
    std::complex<double> gain(double seconds) const;

private:
    double m_step;
    std::vector<std::complex<double>> m_points;
};

/// `count` samples at `rate` of noise shaped like speech: Gaussian noise band-passed to
/// 300-3400 Hz, strongest around 500 Hz and falling above, its level swinging with a
/// syllable rhythm of about four a second. Mean power 1.
std::vector<double> speechBandNoise(std::size_t count, double rate, std::mt19937& random);

} // namespace orvinta::keyer
