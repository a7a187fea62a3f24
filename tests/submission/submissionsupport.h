// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "submission/station.h"
#include "timestamps/isotime.h"

namespace orvinta::test {

/// The station of the tests: a callsign in Munich.
inline const submission::Station kStation{"DL1ABC", {48.1374, 11.5761}};

/// The time an ISO 8601 text names; the text must be valid.
inline UtcTime utc(const char* text) {
    return *parseIsoTime(text).time;
}

} // namespace orvinta::test
