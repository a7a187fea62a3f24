// SPDX-License-Identifier: GPL-3.0-or-later
#include "framecompletion.h"

#include "framefit.h"

#include <algorithm>
#include <limits>

namespace orvinta::cw {
namespace {

/// A frame's last character is complete once this much silence follows its last mark:
/// more than any element gap (1.22 units at the lightest weight), and enough that a
/// longer character in its place would have keyed a mark in it.
constexpr double kCompleteUnits = 3.0;
/// With every character placed in the baseband but the last not yet followed by that
/// silence, the frame is read again after this much more baseband, and after no more
/// than this much however far the reading put its end: beyond the baseband a longer
/// character costs nothing, so the reading's end may lie too far.
constexpr double kRetryUnits = 1.0;
constexpr double kLongestRetryUnits = 3.0;

/// The frame's last group must be read clearly: a reading thrown out of step by a fade
/// (a group lost, or read from the fade's noise) puts it in the silence after the frame,
/// where its characters are in doubt, or on the marks of the next frame's prefix, which
/// do not keep a group's gaps.
constexpr std::size_t kLastGroup = 3;

/// Units of the shortest character `slot` may hold.
int shortestCharacter(const Slot& slot) {
    int shortest = slot.characters.front().length;
    for (const CharacterKeying& c : slot.characters) {
        shortest = std::min(shortest, c.length);
    }
    return shortest;
}

} // namespace

bool frameEnded(const FrameReadout& reading, double end) {
    return !reading.text.empty() &&
           std::max(reading.endSample + kCompleteUnits * reading.timing.unit, reading.toldAt) <=
               end;
}

bool frameComplete(const FrameReadout& reading, double end) {
    if (!frameEnded(reading, end)) {
        return false;
    }
    // In silence the shortest character wins by far, so a clear margin alone does not
    // tell that a character was heard: it must not be in doubt either.
    for (std::size_t k = kPayloadSlots - kLastGroup; k < kPayloadSlots; ++k) {
        if (reading.margins[k] < kClearMargin ||
            reading.text[reading.text.size() - kPayloadSlots + k] == '?') {
            return false;
        }
    }
    return true;
}

double firstChance(const KeyingTiming& timing) {
    const FrameLayout& layout = FrameLayout::instance();
    return timing.at(layout.payloadStart() + layout.shortestPayload(),
                     timing.weight + kCompleteUnits);
}

double nextChance(const FrameReadout& reading, const KeyingTiming& timing, double end) {
    const double u = timing.unit;
    if (reading.text.empty()) {
        return end + kRetryUnits * u;
    }
    // Ended, its last group in doubt (faded, or the reading out of step): more audio
    // would only bring the next frame's marks into its reach.
    if (frameEnded(reading, end)) {
        return std::numeric_limits<double>::infinity();
    }
    // The characters placed beyond the baseband rest on nothing yet: they take at least
    // their shortest keying and the gaps between them.
    const auto& slots = FrameLayout::instance().slots();
    const auto beyond =
        static_cast<std::size_t>(std::find_if(reading.starts.begin(), reading.starts.end(),
                                              [&](double start) { return start >= end; }) -
                                 reading.starts.begin());
    if (beyond < reading.starts.size()) {
        double units = timing.weight + kCompleteUnits;
        for (std::size_t k = beyond; k < slots.size(); ++k) {
            units += shortestCharacter(slots[k]);
            units += k + 1 < slots.size() ? timing.gapUnits(gapAfter(slots[k])) : 0.0;
        }
        return end + std::max(kRetryUnits, units) * u;
    }
    return std::clamp(std::max(reading.endSample + kCompleteUnits * u, reading.toldAt),
                      end + kRetryUnits * u, end + kLongestRetryUnits * u);
}

} // namespace orvinta::cw
