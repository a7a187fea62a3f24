// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The test keyer: Morse code as an operator's chart gives it and keying with a real
// keyer's settings (speed, weight, stretched gaps). It is written apart from the
// decoder's own table and timing on purpose: a recording keyed here can catch a mistake
// there, which a keyer built on the decoder's table never could.

#include <string_view>
#include <vector>

namespace orvinta::keyer {

/// The dots and dashes of `c` (upper-case letter or digit), empty for anything else.
std::string_view chartCode(char c);

/// A keyer's settings. A unit lasts 1.2 s / wordsPerMinute.
struct KeyerTiming {
    double wordsPerMinute = 20.0;
    /// Share of a dot in a dot plus the gap after it: 0.5 keys exactly. A keyer's weight
    /// adds the same time to every mark (dot and dash) and takes it from the space after
    /// it, so a character keeps its length: at 0.6 a dot lasts 1.2 units and an element
    /// gap 0.8.
    double weight = 0.5;
    /// Character and word gaps as multiples of their nominal 3 and 7 units (before the
    /// weight takes its share), as operators and some keyers space their text.
    double characterGapStretch = 1.0;
    double wordGapStretch = 1.0;

    double unitSeconds() const { return 1.2 / wordsPerMinute; }
    /// Time the weight adds to each mark, in seconds.
    double markExtraSeconds() const { return (2.0 * weight - 1.0) * unitSeconds(); }
    double characterGapSeconds() const {
        return 3.0 * characterGapStretch * unitSeconds() - markExtraSeconds();
    }
    double wordGapSeconds() const {
        return 7.0 * wordGapStretch * unitSeconds() - markExtraSeconds();
    }
};

/// A key-down interval in seconds.
struct Mark {
    double start = 0.0;
    double end = 0.0;
};

/// Keys `text` (words separated by blanks; characters the chart lacks are skipped) from
/// `start` seconds on, appending its marks. Returns the end of the last mark.
double keyText(std::string_view text, const KeyerTiming& timing, double start,
               std::vector<Mark>& marks);

} // namespace orvinta::keyer
