// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frame as keyed: "E LUSAT HI HI", then 26 payload characters in slots (block digit,
// status letter, eight groups of three channel characters). Places are counted in a
// keyer's own measures, so that one timing (KeyingTiming) turns them into moments
// whatever the keyer's speed, weight and gaps.

#include "morse.h"

#include <array>
#include <string_view>
#include <vector>

namespace orvinta::cw {

/// A unit lasts 1.2 s divided by the speed in words per minute ("PARIS").
inline constexpr double kUnitSecondsAtOneWpm = 1.2;

/// The fixed start of every frame.
inline constexpr std::string_view kFramePrefix = "E LUSAT HI HI ";
inline constexpr std::size_t kPayloadSlots = 26;

/// Where something stands from the start of the prefix's "E": nominal units of the
/// characters before it (from each one's first mark to its last, element gaps included),
/// and how many character gaps and word gaps lie before it.
struct Place {
    int units = 0;
    int characterGaps = 0;
    int wordGaps = 0;

    Place operator+(const Place& other) const {
        return {units + other.units, characterGaps + other.characterGaps,
                wordGaps + other.wordGaps};
    }
};

/// A keyer's timing of one frame, in baseband samples: the moment of a place is
/// start + (units + characterGaps * characterGap + wordGaps * wordGap) * unit. A keyer's
/// weight lengthens every mark by `weight` units and shortens the space after it as
/// much, so it moves no character: only the marks' ends.
struct KeyingTiming {
    double start = 0.0; ///< baseband index where the prefix's "E" starts
    double unit = 1.0;  ///< samples per unit
    double weight = 0.0;
    double characterGap = kCharacterGapUnits; ///< units from a character's nominal end to the next
    double wordGap = kWordGapUnits;

    double at(const Place& place, double moreUnits = 0.0) const {
        return start + (place.units + moreUnits + place.characterGaps * characterGap +
                        place.wordGaps * wordGap) *
                           unit;
    }
    /// Samples between two places.
    double span(const Place& from, const Place& to) const { return at(to) - at(from); }
    /// Units the character and word gaps of `gaps` take.
    double gapUnits(const Place& gaps) const {
        return gaps.characterGaps * characterGap + gaps.wordGaps * wordGap;
    }
};

/// What a payload slot may hold.
struct Slot {
    std::vector<CharacterKeying> characters;
    /// Log prior of each character: 0 for the usual ones, less for those the beacon
    /// seldom sends in this slot.
    std::vector<double> prior;
    Place gapsBefore; ///< character and word gaps from the payload's start (units 0)
    bool wordGapAfter = false;
};

/// The gap after a slot's character: a word gap after the status letter (which follows
/// the block digit in one word) and after each group of three, else a character gap.
inline Place gapAfter(const Slot& slot) {
    return slot.wordGapAfter ? Place{0, 0, 1} : Place{0, 1, 0};
}

/// Whether a trough that cut one dash of a character usual in `slot` in two could have
/// made `c` of it: `c` is one the beacon seldom sends there, and joining two neighbouring
/// dots of it into a dash gives a usual one ("5" of "V" or "B", "X" of "O").
bool troughCouldMake(const Slot& slot, char c);

/// Units from the start of `c` read in `slot` that the audio must cover before `c` is
/// told from a longer character of the slot that begins as it does (a recording cut after
/// "-." may have been sending "-...."): its length, the element gap and a dot, where the
/// next element would show; where the signal `fading` may hide that element, all of
/// the longest such character.
int unitsToTell(const Slot& slot, char c, bool fading);

/// The length in units of the longest character usual in `slot` that begins as `c` does
/// and goes on after it; 0 where none does. Where the signal is lost right after `c`, it
/// may have been that one.
int longestGoingOn(const Slot& slot, char c);

class FrameLayout {
public:
    static const FrameLayout& instance();

    /// The prefix's characters ("E", "L", ... "I") and where each one starts.
    const std::vector<CharacterKeying>& prefixCharacters() const { return m_prefixCharacters; }
    const std::vector<Place>& prefixPlaces() const { return m_prefixPlaces; }
    /// Where the payload starts: a word gap after the prefix's last "I".
    const Place& payloadStart() const { return m_payloadStart; }
    const std::array<Slot, kPayloadSlots>& slots() const { return m_slots; }
    /// The shortest and the longest payload from its start to its last mark's end.
    const Place& shortestPayload() const { return m_shortestPayload; }
    const Place& longestPayload() const { return m_longestPayload; }

private:
    FrameLayout();
    void placePrefix();
    void placePayload();
    std::vector<CharacterKeying> m_prefixCharacters;
    std::vector<Place> m_prefixPlaces;
    Place m_payloadStart;
    std::array<Slot, kPayloadSlots> m_slots;
    Place m_shortestPayload;
    Place m_longestPayload;
};

} // namespace orvinta::cw
