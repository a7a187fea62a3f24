// SPDX-License-Identifier: GPL-3.0-or-later
#include "framelayout.h"

#include <algorithm>
#include <limits>
#include <string>

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

const FrameLayout& FrameLayout::instance() {
    static const FrameLayout layout;
    return layout;
}

FrameLayout::FrameLayout() {
    Place at;
    bool first = true;
    bool newWord = false;
    for (const char c : kFramePrefix) {
        if (c == ' ') {
            newWord = true;
            continue;
        }
        if (!first) {
            (newWord ? at.wordGaps : at.characterGaps) += 1;
        }
        first = false;
        newWord = false;
        prefixCharacters_.push_back(characterKeying(c));
        prefixPlaces_.push_back(at);
        at.units += prefixCharacters_.back().length;
    }
    payloadStart_ = at + Place{0, 0, 1};

    // Block digit, status letter, then eight groups of three channel characters (cut
    // numbers or plain digits; "4" and "6" are keyed as digits either way).
    constexpr std::string_view kDigits = "0123456789";
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr std::string_view kChannel = "AUVEBDNT0123456789";
    Place gaps;
    for (std::size_t k = 0; k < kPayloadSlots; ++k) {
        Slot& slot = slots_[k];
        if (k == 0) {
            slot.characters = keyings(kDigits);
            slot.prior = priors(kDigits, kDigits);
        } else if (k == 1) {
            slot.characters = keyings(kLetters);
            slot.prior = priors(kLetters, "O");
        } else {
            slot.characters = keyings(kChannel);
            slot.prior = priors(kChannel, "AUVEBDNT46");
        }
        slot.gapsBefore = gaps;
        slot.wordGapAfter = k == 1 || (k >= 4 && (k - 2) % 3 == 2);
        if (k + 1 < kPayloadSlots) {
            (slot.wordGapAfter ? gaps.wordGaps : gaps.characterGaps) += 1;
        }
    }
    for (const Slot& slot : slots_) {
        int longest = 0;
        int shortest = std::numeric_limits<int>::max();
        for (const CharacterKeying& c : slot.characters) {
            longest = std::max(longest, c.length);
            shortest = std::min(shortest, c.length);
        }
        longestPayload_.units += longest;
        shortestPayload_.units += shortest;
    }
    longestPayload_ = longestPayload_ + gaps;
    shortestPayload_ = shortestPayload_ + gaps;
}

} // namespace orvinta::cw
