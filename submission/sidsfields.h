// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A frame as the Simple Downlink Share Convention (SiDS) submits it: the fields of one
// HTTP POST, form-encoded.
//
//   "E LUSAT HI HI 6O AVT ..." heard 2026-12-07 14:05:01.480 UTC by DL1ABC at 48.1374 N,
//   11.5761 E
//     -> sidsFields():  noradID=20442  source=DL1ABC  timestamp=2026-12-07T14:05:01.480Z
//                       frame=45204C55534154...  locator=longLat  longitude=11.5761E
//                       latitude=48.1374N  version=6.1.0
//     -> formEncoded(): "noradID=20442&source=DL1ABC&timestamp=2026-12-07T14%3A05%3A01.480Z&..."
//
// The frame is the telemetry line exactly as printed, as ASCII bytes in upper-case
// hexadecimal.

#include "station.h"

#include "timestamps/isotime.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvinta::submission {

/// The catalogue number of LUSAT-OSCAR 19.
inline constexpr std::string_view kLusatNoradId = "20442";
/// Where the amateur-satellite community keeps its telemetry.
inline constexpr std::string_view kSatnogsDbUrl = "https://db.satnogs.org/api/telemetry/";
/// A frame goes out only when the decoder is at least this sure that no character written
/// is wrong: a wrong value in the community's database misleads everyone who plots it.
inline constexpr double kDefaultMinimumConfidence = 0.99;

using Field = std::pair<std::string, std::string>;

/// The fields of the submission of `line`, received at `received` by `station`, sent by
/// Orvinta `version`; in the order of the convention.
std::vector<Field> sidsFields(std::string_view line, UtcTime received, const Station& station,
                              std::string_view version);

/// `fields` as an application/x-www-form-urlencoded body: letters, digits and "*-._"
/// stay, a blank becomes "+", every other byte "%XX".
std::string formEncoded(const std::vector<Field>& fields);

/// Each byte of `bytes` as two upper-case hexadecimal digits.
std::string hexBytes(std::string_view bytes);

/// The time of reception as the convention wants it, always with milliseconds:
/// "2026-12-07T14:05:01.480Z", "2026-12-07T14:05:00.000Z".
std::string sidsTimestamp(UtcTime time);

/// Degrees with four decimals (about 11 m) and the hemisphere: "11.5761E", "0.1278W".
std::string longitudeText(double degrees);
/// Degrees with four decimals and the hemisphere: "48.1374N", "33.8688S".
std::string latitudeText(double degrees);

/// Whether a frame read with `confidence` may be submitted: nothing unreadable ("?") in
/// `line`, and a confidence of at least `minimumConfidence`.
bool submittable(std::string_view line, double confidence,
                 double minimumConfidence = kDefaultMinimumConfidence);

} // namespace orvinta::submission
