// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tables to test with: rows written as the program writes them.

#include "formats/resultformats.h"
#include "support/sampleline.h"
#include "timestamps/isotime.h"

#include <string>

namespace orvinta::test {

inline const std::string kSampleRow = kSampleLineRow;

/// Seconds since the epoch of a time written in ISO 8601.
inline double at(const char* isoTime) {
    return static_cast<double>(parseIsoTime(isoTime).time->time_since_epoch().count());
}

/// A table with a known history: five frames of a pass, a minute apart and written out
/// of order, one of them with FEHLER in channels 2 and 6.
///   channel 1: 4.8, 4.9, 5.0, 5.1, 5.2      channel 2: 10, 11, FEHLER, 13, 14
///   channel 6: 100, FEHLER, 120, 130, 140   channel 3: -1.5, -0.5, .5, 1.5, 2.5
inline std::string knownPass() {
    const std::string header = timedTableHeader() + "\r\n";
    return header + "2026-12-07T14:02:00Z;6;OK; 5;FEHLER; .5; 500; 7; 120; .3; 8.68\r\n"
                    "2026-12-07T14:00:00Z;6;OK; 4.8; 10;-1.5; 500; 7; 100; .3; 8.68\r\n"
                    "2026-12-07T14:01:00Z;6;OK; 4.9; 11;-.5; 500; 7;FEHLER; .3; 8.68\r\n"
                    "2026-12-07T14:03:00Z;6;OK; 5.1; 13; 1.5; 500; 7; 130; .3; 8.68\r\n"
                    "2026-12-07T16:04:00+02:00;6;OK; 5.2; 14; 2.5; 500; 7; 140; .3; 8.68\r\n";
}

} // namespace orvinta::test
