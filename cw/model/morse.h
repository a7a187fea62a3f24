// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvinta::cw {

/// Durations of machine-keyed Morse in units: dot 1, dash 3, gap between the elements of
/// a character 1, between characters 3, between words 7.
inline constexpr int kDotUnits = 1;
inline constexpr int kDashUnits = 3;
inline constexpr int kElementGapUnits = 1;
inline constexpr int kCharacterGapUnits = 3;
inline constexpr int kWordGapUnits = 7;

/// The dots and dashes of `c` (".-" for A), or an empty view for a character Morse lacks.
/// Letters A-Z and digits 0-9 are known; lower case counts as upper case.
std::string_view morseCode(char c);

/// The key-down units of one character relative to its first unit, and its length in
/// units from its first key-down unit to its last (without the gap after it).
struct CharacterKeying {
    char character = 0;
    std::vector<int> onUnits;
    std::vector<int> dots;   ///< first units of the dots
    std::vector<int> dashes; ///< first units of the dashes
    int length = 0;
};

/// The keying of `c`; an empty pattern for a character Morse lacks.
CharacterKeying characterKeying(char c);

/// The key state of every unit of `text` keyed with exact timing: characters of a word
/// 3 units apart, words (separated by blanks) 7 units apart. No gap before the first or
/// after the last character. Characters Morse lacks are skipped.
std::vector<bool> keyUnits(std::string_view text);

} // namespace orvinta::cw
