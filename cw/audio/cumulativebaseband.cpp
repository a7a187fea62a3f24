// SPDX-License-Identifier: GPL-3.0-or-later
#include "cumulativebaseband.h"

#include <cmath>
#include <cstddef>

namespace orvinta::cw {
namespace {

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

} // namespace orvinta::cw
