// SPDX-License-Identifier: GPL-3.0-or-later
#include "morsechart.h"

#include <array>
#include <utility>

namespace orvinta::keyer {
namespace {

// Letters in the order of the alphabet, then the digits: each digit is five elements,
// dots first for 1-5 and dashes first for 6-0.
constexpr std::array<std::string_view, 26> kLetters{
    ".-",   "-...", "-.-.", "-..",  ".",   "..-.", "--.",  "....", "..",
    ".---", "-.-",  ".-..", "--",   "-.",  "---",  ".--.", "--.-", ".-.",
    "...",  "-",    "..-",  "...-", ".--", "-..-", "-.--", "--.."};
constexpr std::array<std::string_view, 10> kDigits{"-----", ".----", "..---", "...--", "....-",
                                                   ".....", "-....", "--...", "---..", "----."};

} // namespace

std::string_view chartCode(char c) {
    if (c >= 'A' && c <= 'Z') {
        return kLetters[static_cast<std::size_t>(c - 'A')];
    }
    if (c >= '0' && c <= '9') {
        return kDigits[static_cast<std::size_t>(c - '0')];
    }
    return {};
}

double keyText(std::string_view text, const KeyerTiming& timing, double start,
               std::vector<Mark>& marks) {
    const double unit = timing.unitSeconds();
    const double extra = timing.markExtraSeconds();
    double at = start;
    double end = start;
    bool first = true;
    bool newWord = false;
    for (const char c : text) {
        if (c == ' ') {
            newWord = true;
            continue;
        }
        const std::string_view code = chartCode(c);
        if (code.empty()) {
            continue;
        }
        if (!first) {
            at = end + (newWord ? timing.wordGapSeconds() : timing.characterGapSeconds());
        }
        first = false;
        newWord = false;
        for (std::size_t e = 0; e < code.size(); ++e) {
            if (e > 0) {
                at = end + unit - extra; // the element gap
            }
            end = at + (code[e] == '.' ? unit : 3.0 * unit) + extra;
            marks.push_back({at, end});
        }
    }
    return end;
}

} // namespace orvinta::keyer
