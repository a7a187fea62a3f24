// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The search for frames: in the baseband of a keyed tone, where might "E LUSAT HI HI"
// start, and how fast is it keyed? For each speed (lanes 5 % apart), a max-product
// dynamic programme runs along the baseband a quarter unit at a time: each prefix
// character is scored by its matched filters where its marks and gaps would be, and the
// gaps between the characters are free within what keyers use (character gaps up to
// 1.8 times, word gaps up to 1.7 times the nominal), so that neither stretched gaps nor
// a speed between two lanes spoil the match. The best prefixes become candidates, which
// hearPrefix() then checks element by element.

#include "cw/audio/noisefloor.h"
#include "cw/model/likelihood.h"
#include "cw/model/timingfit.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orvinta::cw {

/// A place where the prefix may start.
struct PrefixCandidate {
    double score = 0.0; ///< the programme's score: likelihood ratios against the noise
    /// The score over what it would be if every unit agreed with the prefix: 1 for a
    /// clean prefix, about 0 for noise, low for keyed text that matches only in part.
    double agreement = 0.0;
    double unit = 0.0;  ///< the lane's unit, in samples
    double noise = 1.0; ///< the noise power per sample the search assumed
    std::array<double, kPrefixCharacters> starts{}; ///< where each character starts
};

class PrefixSearch {
public:
    /// A search over units from shortestUnit to longestUnit samples.
    PrefixSearch(double shortestUnit, double longestUnit);
    ~PrefixSearch();
    PrefixSearch(PrefixSearch&& other) noexcept;
    PrefixSearch& operator=(PrefixSearch&& other) noexcept;

    /// Runs every lane as far as `sums` (baseband indices from `base` on) allows, with
    /// the noise power per sample from `noise`, and appends the candidates found.
    void advance(const CumulativeBaseband& sums, std::size_t base, const NoiseFloor& noise,
                 std::vector<PrefixCandidate>& found);

    /// The earliest baseband index the search will still look at.
    std::size_t needsFrom() const;

private:
    struct Lane;
    std::vector<Lane> m_lanes;
};

} // namespace orvinta::cw
