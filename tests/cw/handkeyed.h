// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Baseband keyed by hand for the tests of the decoder's single stages: a line's characters
// placed by a keyer's timing (text -> places -> baseband indices), their marks keyed as a
// carrier on the line's own tone at 400 samples a second, as the audio front brings a line
// down to, and complex white noise of a known power added from a fixed seed.

#include "cw/model/framelayout.h"
#include "cw/model/keyedstretches.h"
#include "cw/model/likelihood.h"

#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <string_view>
#include <vector>

namespace orvinta::cw::handkeyed {

/// Baseband samples a second, as the audio front gives them.
inline constexpr double kRate = 400.0;

/// Samples per unit at `wpm` words per minute.
inline double unitAt(double wpm) {
    return kUnitSecondsAtOneWpm / wpm * kRate;
}

using Baseband = std::vector<std::complex<double>>;

/// The characters of `text` (words separated by blanks) and where each one starts, in
/// the keyer's measures: the prefix's places, when `text` begins with the prefix.
struct PlacedText {
    std::vector<CharacterKeying> keyings;
    std::vector<Place> places;

    explicit PlacedText(std::string_view text) {
        Place next;
        bool wordBefore = false;
        for (const char c : text) {
            if (c == ' ') {
                wordBefore = !keyings.empty();
                continue;
            }
            if (!keyings.empty()) {
                next = next + Place{keyings.back().length, wordBefore ? 0 : 1, wordBefore ? 1 : 0};
            }
            keyings.push_back(characterKeying(c));
            places.push_back(next);
            wordBefore = false;
        }
    }

    /// The characters where `timing` puts them; valid while this object lives.
    std::vector<PlacedCharacter> at(const KeyingTiming& timing) const {
        std::vector<PlacedCharacter> placed;
        for (std::size_t i = 0; i < keyings.size(); ++i) {
            placed.push_back({&keyings[i], timing.at(places[i])});
        }
        return placed;
    }
};

/// Adds a carrier of `amplitude` to the samples whose middle lies from `from` to `to`,
/// its phase turning by `turn` radians a sample (a tone `turn` * kRate / 2 pi hertz
/// beside the line's).
inline void key(Baseband& baseband, double from, double to, double amplitude, double turn = 0.0) {
    for (auto n = static_cast<std::size_t>(std::max(0.0, std::ceil(from - 0.5)));
         n < baseband.size() && static_cast<double>(n) + 0.5 <= to; ++n) {
        baseband[n] += std::polar(amplitude, turn * static_cast<double>(n));
    }
}

/// Keys every mark of `characters` with the unit and weight of `timing`, character i at
/// `amplitude(i)`.
inline void keyMarks(Baseband& baseband, const std::vector<PlacedCharacter>& characters,
                     const KeyingTiming& timing,
                     const std::function<double(std::size_t)>& amplitude, double turn = 0.0) {
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const CharacterKeying& c = *characters[i].keying;
        const auto element = [&](int offset, int units) {
            const double from = characters[i].start + offset * timing.unit;
            key(baseband, from, from + (units + timing.weight) * timing.unit, amplitude(i), turn);
        };
        for (const int dot : c.dots) {
            element(dot, kDotUnits);
        }
        for (const int dash : c.dashes) {
            element(dash, kDashUnits);
        }
    }
}

/// Adds complex white Gaussian noise of `power` per sample.
inline void addNoise(Baseband& baseband, double power, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> part(0.0, std::sqrt(power / 2.0));
    for (std::complex<double>& sample : baseband) {
        sample += std::complex<double>(part(random), part(random));
    }
}

inline CumulativeBaseband cumulative(const Baseband& baseband) {
    CumulativeBaseband sums(baseband.size() + 1);
    for (std::size_t n = 0; n < baseband.size(); ++n) {
        sums[n + 1] = sums[n] + baseband[n];
    }
    return sums;
}

} // namespace orvinta::cw::handkeyed
