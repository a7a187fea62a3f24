// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A keyed tone's baseband as running sums, so that the samples of any stretch, summed
// coherently (the matched filter of a keyed carrier of unknown phase), cost two lookups
// however long the stretch.

#include <complex>
#include <vector>

namespace orvinta::cw {

/// Running sums of complex baseband samples: sums[i] is the sum of the first i samples.
using CumulativeBaseband = std::vector<std::complex<double>>;

/// The samples of a stretch from `from` to `to` (baseband indices, fractional: the sums
/// are interpolated between samples) summed coherently; 0 for a stretch reaching outside
/// the sums.
std::complex<double> stretchSum(const CumulativeBaseband& sums, double from, double to);

/// The matched filter of a stretch: the energy of stretchSum().
double stretchEnergy(const CumulativeBaseband& sums, double from, double to);

/// Whether the stretch lies inside the sums.
bool stretchHeld(const CumulativeBaseband& sums, double from, double to);

} // namespace orvinta::cw
