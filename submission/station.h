// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The station that heard a frame, as the operator gives it and as a submission names it:
//
//   callsign "dl1abc"                      -> normalizedCallsign()   -> "DL1ABC"
//   locator "JN58td"                        -> positionFromLocator()  -> 48.1458 N, 11.6250 E
//   position "48.1374,11.5761"              -> parsePosition()        -> 48.1374 N, 11.5761 E
//
// A locator stands for a cell of the Maidenhead grid; its position is the cell's centre.

#include <optional>
#include <string>
#include <string_view>

namespace orvinta::submission {

/// A place on the earth in decimal degrees, north and east positive.
struct Position {
    double latitude = 0.0;
    double longitude = 0.0;
};

/// Who heard a frame and where.
struct Station {
    std::string callsign;
    Position position;
};

/// `text` upper-cased when it is a callsign: 3 to 20 letters, digits and "/" (for
/// "DL1ABC/P"), with at least one letter and one digit. Nothing otherwise.
std::optional<std::string> normalizedCallsign(std::string_view text);

/// Whether `position` lies on the earth: latitude -90 to 90, longitude -180 to 180.
bool validPosition(const Position& position);

/// The centre of the Maidenhead locator `text` of 2, 4, 6 or 8 characters ("JN",
/// "JN58", "JN58TD", "JN58TD12"), in either case. Nothing for anything else.
std::optional<Position> positionFromLocator(std::string_view text);

/// The position "LAT,LON" in decimal degrees with a decimal point, north and east
/// positive ("48.1374,11.5761", "-33.86,151.21"); blanks around the numbers are allowed.
/// Nothing for anything else, or a place off the earth.
std::optional<Position> parsePosition(std::string_view text);

/// One coordinate in decimal degrees with a point or a comma as decimal sign, as an
/// operator types it into a box ("48.1374", "48,1374", "-0.5"). Nothing for anything else.
std::optional<double> parseDegrees(std::string_view text);

} // namespace orvinta::submission
