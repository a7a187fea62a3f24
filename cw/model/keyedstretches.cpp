// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyedstretches.h"

#include <algorithm>
#include <cmath>

namespace orvinta::cw {
namespace {

/// Stretches either way (each about a unit) whose loudest sets the level a stretch's
/// energy is measured against.
constexpr std::size_t kLevelNeighbours = 6;

/// Cuts the space from `from` to `to` into pieces of about a unit; the first and the
/// last touch the marks around the space.
void addSpace(double from, double to, double unit, std::vector<KeyedStretch>& out) {
    const double length = to - from;
    if (length <= 0.0) {
        return;
    }
    const auto pieces = std::max(1L, std::lround(length / unit));
    const double piece = length / static_cast<double>(pieces);
    for (long i = 0; i < pieces; ++i) {
        out.push_back({from + static_cast<double>(i) * piece,
                       from + static_cast<double>(i + 1) * piece, false, -1,
                       i == 0 || i + 1 == pieces});
    }
}

} // namespace

std::vector<KeyedStretch> keyedStretches(const std::vector<PlacedCharacter>& characters,
                                         double unit, double weight, double leadUnits,
                                         double trailUnits) {
    std::vector<KeyedStretch> out;
    if (characters.empty()) {
        return out;
    }
    double spaceFrom = characters.front().start - leadUnits * unit;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const CharacterKeying& c = *characters[i].keying;
        const double start = characters[i].start;
        std::size_t dot = 0;
        std::size_t dash = 0;
        // Elements in keyed order: the next one is the dot or dash that starts first.
        while (dot < c.dots.size() || dash < c.dashes.size()) {
            const bool isDot =
                dash == c.dashes.size() || (dot < c.dots.size() && c.dots[dot] < c.dashes[dash]);
            const int offset = isDot ? c.dots[dot++] : c.dashes[dash++];
            const int parts = isDot ? kDotUnits : kDashUnits;
            const double markFrom = start + offset * unit;
            const double markTo = markFrom + (parts + weight) * unit;
            addSpace(spaceFrom, markFrom, unit, out);
            const double part = (markTo - markFrom) / parts;
            for (int p = 0; p < parts; ++p) {
                out.push_back({markFrom + p * part, markFrom + (p + 1) * part, true,
                               static_cast<int>(i), false});
            }
            spaceFrom = markTo;
        }
    }
    const PlacedCharacter& last = characters.back();
    addSpace(spaceFrom, last.start + (last.keying->length + trailUnits) * unit, unit, out);
    return out;
}

double keyCorrelation(const CumulativeBaseband& sums, const std::vector<KeyedStretch>& stretches,
                      double noise) {
    // Energy per sample over the noise, for the stretches inside the sums.
    std::vector<double> energy;
    std::vector<bool> down;
    for (const KeyedStretch& s : stretches) {
        if (stretchHeld(sums, s.from, s.to)) {
            energy.push_back(stretchEnergy(sums, s.from, s.to) / ((s.to - s.from) * noise));
            down.push_back(s.down);
        }
    }
    const std::size_t count = energy.size();
    double n = 0.0;
    double on = 0.0;
    double onCount = 0.0;
    double sum = 0.0;
    double squares = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        // Over the loudest stretch nearby: a fading signal's weak marks count as much as
        // its strong ones, and a gap half filled by a mark shows as half a mark.
        const std::size_t from = i > kLevelNeighbours ? i - kLevelNeighbours : 0;
        const std::size_t to = std::min(count, i + kLevelNeighbours + 1);
        const double loudest = *std::max_element(energy.begin() + static_cast<std::ptrdiff_t>(from),
                                                 energy.begin() + static_cast<std::ptrdiff_t>(to));
        const double e = energy[i] / (loudest + 1.0);
        n += 1.0;
        sum += e;
        squares += e * e;
        if (down[i]) {
            on += e;
            onCount += 1.0;
        }
    }
    if (n == 0.0 || onCount == 0.0 || onCount == n) {
        return 0.0;
    }
    const double p = onCount / n;
    const double mean = sum / n;
    const double variance = squares / n - mean * mean;
    return variance > 0.0 ? (on / n - p * mean) / std::sqrt(variance * p * (1.0 - p)) : 0.0;
}

std::vector<bool> loudEnough(const CumulativeBaseband& sums,
                             const std::vector<KeyedStretch>& stretches, double share) {
    const auto perSample = [&](const KeyedStretch& s) {
        return stretchHeld(sums, s.from, s.to) ? stretchEnergy(sums, s.from, s.to) / (s.to - s.from)
                                               : 0.0;
    };
    std::vector<bool> result(stretches.size(), true);
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        if (stretches[i].down || !stretches[i].edge) {
            continue;
        }
        double beside = 0.0;
        if (i > 0 && stretches[i - 1].down) {
            beside = std::max(beside, perSample(stretches[i - 1]));
        }
        if (i + 1 < stretches.size() && stretches[i + 1].down) {
            beside = std::max(beside, perSample(stretches[i + 1]));
        }
        result[i] = perSample(stretches[i]) > share * beside;
    }
    return result;
}

std::vector<PlacedCharacter> prefixAt(const KeyingTiming& timing) {
    const FrameLayout& layout = FrameLayout::instance();
    std::vector<PlacedCharacter> placed;
    for (std::size_t i = 0; i < layout.prefixCharacters().size(); ++i) {
        placed.push_back({&layout.prefixCharacters()[i], timing.at(layout.prefixPlaces()[i])});
    }
    return placed;
}

double placedCorrelation(const CumulativeBaseband& sums,
                         const std::vector<PlacedCharacter>& characters, const KeyingTiming& timing,
                         double noise) {
    return keyCorrelation(
        sums,
        keyedStretches(characters, timing.unit, timing.weight, timing.wordGap, timing.wordGap),
        noise);
}

double prefixCorrelation(const CumulativeBaseband& sums, const KeyingTiming& timing, double noise) {
    return placedCorrelation(sums, prefixAt(timing), timing, noise);
}

} // namespace orvinta::cw
