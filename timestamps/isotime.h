// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a time text becomes a point in time, and back:
//
//   "2026-12-07T16:05:00.25+02:00"               (ISO 8601 text, with its time zone)
//     -> parseIsoTime():  date 2026-12-07, time 16:05:00.250, offset +02:00
//     -> UtcTime:         2026-12-07 14:05:00.250 UTC (milliseconds since 1970)
//     -> formatIsoTime(): "2026-12-07T14:05:00.250Z"
//
// A time without a time zone is refused rather than read as local or UTC time: the same
// text means different instants on different machines, and a wrong guess would shift a
// whole pass by hours without anyone noticing. File names are the exception, see
// filenametime.h.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvinta {

/// A point in time in UTC, to the millisecond: finer than any time a frame can be
/// placed at, coarse enough that a double offset in seconds converts without surprise.
using UtcTime = std::chrono::sys_time<std::chrono::milliseconds>;

/// Why a text is not a time.
enum class TimeError {
    None,
    Empty,         ///< nothing given
    BadDate,       ///< not YYYY-MM-DD or YYYYMMDD
    NoSuchDate,    ///< month 13, 30 February ...
    MissingTime,   ///< a date without "T" and a time of day
    BadTime,       ///< not hh:mm[:ss[.fff]] or hhmm[ss[.fff]]
    NoSuchTime,    ///< hour 24, minute 60 ...
    MissingZone,   ///< no "Z" or offset: the instant is unknown
    BadZone,       ///< an offset not of the form ±hh:mm, ±hhmm or ±hh, or beyond ±23:59
    TrailingText,  ///< more text after a complete time
    NoTimeInName,  ///< a file name that holds none of the known forms
    SeveralInName, ///< a file name that holds two different times
};

/// The outcome of reading a time: the time, or the error and the byte offset in the
/// text where the text stopped being a valid time.
struct TimeParse {
    std::optional<UtcTime> time;
    TimeError error = TimeError::None;
    std::size_t position = 0;

    explicit operator bool() const { return time.has_value(); }
};

/// Reads an ISO 8601 date and time of day with its time zone, in the extended or the
/// basic form or a mix of both:
///   2026-12-07T14:05:00Z       20261207T140500Z       2026-12-07T14:05Z
///   2026-12-07T14:05:00.250Z   2026-12-07T14:05:00,5Z 2026-12-07 14:05:00Z
///   2026-12-07T16:05:00+02:00  2026-12-07T16:05:00+0200  2026-12-07T09:05-05
/// "T" may also be "t" or a blank (RFC 3339). Fractions of a second beyond the
/// millisecond are cut off. Leap seconds (":60") and hour 24 are refused.
TimeParse parseIsoTime(std::string_view text);

/// The time as ISO 8601 in UTC: "2026-12-07T14:05:00Z", with ".250" before the "Z" when
/// the time is not on a whole second.
std::string formatIsoTime(UtcTime time);

/// `start` plus `seconds` (the offset of a frame into a recording), to the nearest
/// millisecond.
UtcTime timeAtOffset(UtcTime start, double seconds);

/// What `error` means, in German, for messages to the operator.
std::string_view timeErrorText(TimeError error);

/// A German message on a failed reading of `text`:
/// "ungültige Zeit \"2026-13-07T14:05Z\": das Datum gibt es nicht".
std::string describeTimeError(std::string_view text, const TimeParse& result);

} // namespace orvinta
