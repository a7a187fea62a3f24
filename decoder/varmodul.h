// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "indexedarray.h"

#include <cstdint>
#include <string>

namespace orvinta {

inline constexpr int kChannelCount = 8;

/// The decoder's working state for one frame. Parsing fills Eingabe, Gruppe, FehlerFlag
/// and Wert; conversion fills Ergebnis. Everything keeps the value of the last
/// computation until the next one starts.
struct VarModul {
    /// The normalised, upper-cased 34-character frame window.
    std::string Eingabe;
    /// Wert(0): E-PROM block number; Wert(1..8): raw value of channel 1..8.
    IndexedArray<float, 0, kChannelCount> Wert;
    /// Result text of channel 1..8: a number text or "FEHLER".
    IndexedArray<std::string, 1, kChannelCount> Ergebnis;
    /// Three-character group of channel 1..8 after the letter-to-digit mapping.
    IndexedArray<std::string, 1, kChannelCount> Gruppe;
    /// 1 when the group of channel 1..8 holds a character other than a digit.
    IndexedArray<std::uint8_t, 1, kChannelCount> FehlerFlag;

    /// Clears flags, raw channel values and groups 1..8; Wert(0), Eingabe and Ergebnis stay.
    void reset();

    friend bool operator==(const VarModul&, const VarModul&) = default;
};

/// The desktop program's one frame record, alive from start to end of the program.
VarModul& frameRecord();

} // namespace orvinta
