// SPDX-License-Identifier: GPL-3.0-or-later
#include "timingfit.h"

#include <algorithm>
#include <cmath>

namespace orvinta::cw {
namespace {

/// Solves the normal equations `m` (N unknowns, right side last) by Gauss-Jordan
/// elimination with partial pivoting; false when they do not determine the unknowns.
template <std::size_t N>
bool solve(std::array<std::array<double, N + 1>, N>& m, std::array<double, N>& x) {
    for (std::size_t c = 0; c < N; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < N; ++r) {
            if (std::abs(m[r][c]) > std::abs(m[pivot][c])) {
                pivot = r;
            }
        }
        std::swap(m[c], m[pivot]);
        if (std::abs(m[c][c]) < 1e-12) {
            return false;
        }
        for (std::size_t r = 0; r < N; ++r) {
            if (r != c) {
                const double f = m[r][c] / m[c][c];
                for (std::size_t k = c; k <= N; ++k) {
                    m[r][k] -= f * m[c][k];
                }
            }
        }
    }
    for (std::size_t c = 0; c < N; ++c) {
        x[c] = m[c][N] / m[c][c];
    }
    return true;
}

template <std::size_t N>
void accumulate(std::array<std::array<double, N + 1>, N>& m, const std::array<double, N>& row,
                double right) {
    for (std::size_t r = 0; r < N; ++r) {
        for (std::size_t c = 0; c < N; ++c) {
            m[r][c] += row[r] * row[c];
        }
        m[r][N] += row[r] * right;
    }
}

} // namespace

KeyingTiming timingThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                           const KeyingTiming& fallback, double unit) {
    // start_j - units_j * unit = s + characterGaps_j * a + wordGaps_j * b
    std::array<std::array<double, 4>, 3> m{};
    for (std::size_t j = 0; j < places.size(); ++j) {
        accumulate<3>(m,
                      {1.0, static_cast<double>(places[j].characterGaps),
                       static_cast<double>(places[j].wordGaps)},
                      starts[j] - places[j].units * unit);
    }
    KeyingTiming timing = fallback;
    timing.unit = unit;
    std::array<double, 3> x{};
    if (solve<3>(m, x)) {
        timing.start = x[0];
        timing.characterGap = x[1] / unit;
        timing.wordGap = x[2] / unit;
    }
    boundGaps(timing);
    return timing;
}

KeyingTiming startAndUnitThrough(const std::vector<Place>& places,
                                 const std::vector<double>& starts, const KeyingTiming& timing) {
    // start_j = s + (units_j + characterGaps_j * G + wordGaps_j * W) * u
    std::array<std::array<double, 3>, 2> m{};
    for (std::size_t j = 0; j < places.size(); ++j) {
        const Place& p = places[j];
        accumulate<2>(
            m, {1.0, p.units + p.characterGaps * timing.characterGap + p.wordGaps * timing.wordGap},
            starts[j]);
    }
    KeyingTiming fitted = timing;
    std::array<double, 2> x{};
    if (solve<2>(m, x) && x[1] > 0.0) {
        fitted.start = x[0];
        fitted.unit = x[1];
    }
    return fitted;
}

KeyingTiming startThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                          const KeyingTiming& timing, double unit) {
    KeyingTiming fitted = timing;
    fitted.unit = unit;
    fitted.start = 0.0;
    double sum = 0.0;
    for (std::size_t j = 0; j < places.size(); ++j) {
        sum += starts[j] - fitted.at(places[j]);
    }
    fitted.start = places.empty() ? timing.start : sum / static_cast<double>(places.size());
    return fitted;
}

void boundGaps(KeyingTiming& timing) {
    timing.characterGap =
        std::clamp(timing.characterGap, kShortestCharacterGap, kLongestCharacterGap);
    timing.wordGap = std::clamp(timing.wordGap, kShortestWordGap, kLongestWordGap);
    timing.weight = std::clamp(timing.weight, kLightestWeight, kHeaviestWeight);
}

KeyingTiming timingThrough(const std::vector<Place>& places, const std::vector<double>& starts,
                           const KeyingTiming& fallback) {
    // start_j = s + units_j * u + characterGaps_j * a + wordGaps_j * b
    std::array<std::array<double, 5>, 4> m{};
    for (std::size_t j = 0; j < places.size(); ++j) {
        accumulate<4>(m,
                      {1.0, static_cast<double>(places[j].units),
                       static_cast<double>(places[j].characterGaps),
                       static_cast<double>(places[j].wordGaps)},
                      starts[j]);
    }
    KeyingTiming timing = fallback;
    std::array<double, 4> x{};
    if (solve<4>(m, x) && x[1] > 0.0) {
        timing.start = x[0];
        timing.unit = x[1];
        timing.characterGap = x[2] / x[1];
        timing.wordGap = x[3] / x[1];
        boundGaps(timing);
    }
    return timing;
}

PivotedTiming::PivotedTiming(const KeyingTiming& timing, const Place& pivot)
    : middle(timing.at(pivot))
    , unit(timing.unit)
    , weight(timing.weight)
    , characterGap(timing.characterGap)
    , wordGap(timing.wordGap) {
}

KeyingTiming PivotedTiming::keying(const Place& pivot) const {
    KeyingTiming timing;
    timing.unit = unit;
    timing.weight = weight;
    timing.characterGap = characterGap;
    timing.wordGap = wordGap;
    timing.start = middle - timing.span({}, pivot);
    return timing;
}

} // namespace orvinta::cw
