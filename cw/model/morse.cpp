// SPDX-License-Identifier: GPL-3.0-or-later
#include "morse.h"

#include <array>
#include <utility>

namespace orvinta::cw {
namespace {

constexpr std::array<std::pair<char, std::string_view>, 36> kCodes{{
    {'A', ".-"},    {'B', "-..."},  {'C', "-.-."},  {'D', "-.."},   {'E', "."},     {'F', "..-."},
    {'G', "--."},   {'H', "...."},  {'I', ".."},    {'J', ".---"},  {'K', "-.-"},   {'L', ".-.."},
    {'M', "--"},    {'N', "-."},    {'O', "---"},   {'P', ".--."},  {'Q', "--.-"},  {'R', ".-."},
    {'S', "..."},   {'T', "-"},     {'U', "..-"},   {'V', "...-"},  {'W', ".--"},   {'X', "-..-"},
    {'Y', "-.--"},  {'Z', "--.."},  {'0', "-----"}, {'1', ".----"}, {'2', "..---"}, {'3', "...--"},
    {'4', "....-"}, {'5', "....."}, {'6', "-...."}, {'7', "--..."}, {'8', "---.."}, {'9', "----."},
}};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

std::string_view morseCode(char c) {
    const char u = upper(c);
    for (const auto& [character, code] : kCodes) {
        if (character == u) {
            return code;
        }
    }
    return {};
}

CharacterKeying characterKeying(char c) {
    CharacterKeying keying;
    keying.character = upper(c);
    int at = 0;
    for (const char element : morseCode(c)) {
        if (at > 0) {
            at += kElementGapUnits;
        }
        const int units = element == '.' ? kDotUnits : kDashUnits;
        (element == '.' ? keying.dots : keying.dashes).push_back(at);
        for (int u = 0; u < units; ++u) {
            keying.onUnits.push_back(at + u);
        }
        at += units;
    }
    keying.length = at;
    return keying;
}

std::vector<bool> keyUnits(std::string_view text) {
    std::vector<bool> units;
    bool wordGapPending = false;
    for (const char c : text) {
        if (c == ' ') {
            wordGapPending = true;
            continue;
        }
        const CharacterKeying keying = characterKeying(c);
        if (keying.length == 0) {
            continue;
        }
        if (!units.empty()) {
            units.insert(
                units.end(),
                static_cast<std::size_t>(wordGapPending ? kWordGapUnits : kCharacterGapUnits),
                false);
        }
        wordGapPending = false;
        const std::size_t start = units.size();
        units.resize(start + static_cast<std::size_t>(keying.length), false);
        for (const int u : keying.onUnits) {
            units[start + static_cast<std::size_t>(u)] = true;
        }
    }
    return units;
}

} // namespace orvinta::cw
