// SPDX-License-Identifier: GPL-3.0-or-later
#include "framelayout.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace orvinta::cw {
namespace {

/// Log prior of a character the beacon seldom sends in its place: a status other than
/// "O", a channel digit other than the cut numbers' "4" and "6". A rare character must
/// be heard this much (natural log of the likelihood ratio) better than a usual one.
constexpr double kRarePrior = -3.0;

/// The log prior of each of `characters`: 0 for those in `usual`, kRarePrior for others.
std::vector<double> priors(std::string_view characters, std::string_view usual) {
    std::vector<double> result;
    for (const char c : characters) {
        result.push_back(usual.find(c) == std::string_view::npos ? kRarePrior : 0.0);
    }
    return result;
}

std::vector<CharacterKeying> keyings(std::string_view characters) {
    std::vector<CharacterKeying> result;
    for (const char c : characters) {
        result.push_back(characterKeying(c));
    }
    return result;
}

} // namespace

bool troughCouldMake(const Slot& slot, char c) {
    const auto priorOf = [&](std::string_view code) {
        for (std::size_t i = 0; i < slot.characters.size(); ++i) {
            if (morseCode(slot.characters[i].character) == code) {
                return slot.prior[i];
            }
        }
        return kRarePrior;
    };
    const std::string_view code = morseCode(c);
    if (priorOf(code) >= 0.0) {
        return false;
    }
    for (std::size_t i = 0; i + 1 < code.size(); ++i) {
        if (code[i] == '.' && code[i + 1] == '.') {
            const std::string joined =
                std::string(code.substr(0, i)) + '-' + std::string(code.substr(i + 2));
            if (priorOf(joined) >= 0.0) {
                return true;
            }
        }
    }
    return false;
}

int longestGoingOn(const Slot& slot, char c) {
    const std::string_view code = morseCode(c);
    int units = 0;
    for (const CharacterKeying& other : slot.characters) {
        const std::string_view longer = morseCode(other.character);
        if (longer.size() > code.size() && longer.substr(0, code.size()) == code) {
            units = std::max(units, other.length);
        }
    }
    return units;
}

int unitsToTell(const Slot& slot, char c, bool fading) {
    const int heard = characterKeying(c).length + kElementGapUnits + kDotUnits;
    return fading ? std::max(heard, longestGoingOn(slot, c)) : heard;
}

const FrameLayout& FrameLayout::instance() {
    static const FrameLayout layout;
    return layout;
}

FrameLayout::FrameLayout() {
    placePrefix();
    placePayload();
}

void FrameLayout::placePrefix() {
    Place at;
    bool newWord = false;
    for (const char c : kFramePrefix) {
        if (c == ' ') {
            newWord = true;
            continue;
        }
        if (!m_prefixCharacters.empty()) {
            at = at + (newWord ? Place{0, 0, 1} : Place{0, 1, 0});
        }
        newWord = false;
        m_prefixCharacters.push_back(characterKeying(c));
        m_prefixPlaces.push_back(at);
        at.units += m_prefixCharacters.back().length;
    }
    m_payloadStart = at + Place{0, 0, 1};
}

void FrameLayout::placePayload() {
    // Block digit, status letter, then eight groups of three channel characters (cut
    // numbers or plain digits; "4" and "6" are keyed as digits either way).
    constexpr std::string_view kDigits = "0123456789";
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr std::string_view kChannel = "AUVEBDNT0123456789";
    constexpr std::size_t kFirstGroupSlot = 2;
    constexpr std::size_t kGroupSize = 3;
    Place gaps;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        Slot& slot = m_slots[k];
        const std::string_view characters = k == 0 ? kDigits : k == 1 ? kLetters : kChannel;
        const std::string_view usual = k == 0 ? kDigits : k == 1 ? "O" : "AUVEBDNT46";
        slot.characters = keyings(characters);
        slot.prior = priors(characters, usual);
        slot.gapsBefore = gaps;
        // The block digit and the status letter are one word ("2O"), each group another.
        slot.wordGapAfter =
            k + 1 == kFirstGroupSlot ||
            (k >= kFirstGroupSlot && (k - kFirstGroupSlot) % kGroupSize == kGroupSize - 1);
        if (k + 1 < kPayloadSlots) {
            gaps = gaps + gapAfter(slot);
        }
    }
    for (const Slot& slot : m_slots) {
        const auto [shortest, longest] = std::minmax_element(
            slot.characters.begin(), slot.characters.end(),
            [](const CharacterKeying& a, const CharacterKeying& b) { return a.length < b.length; });
        m_longestPayload.units += longest->length;
        m_shortestPayload.units += shortest->length;
    }
    m_longestPayload = m_longestPayload + gaps;
    m_shortestPayload = m_shortestPayload + gaps;
}

} // namespace orvinta::cw
