// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pieces that the ISO 8601 reader and the file-name reader share: a cursor over the
// text, the fields of a date and time of day, and their check against the calendar.

#include "isotime.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace orvinta::timefields {

/// Reads a text from left to right; past the end it sees '\0'.
class Cursor {
public:
    explicit Cursor(std::string_view text, std::size_t position = 0)
        : m_text(text)
        , m_position(position) {}

    std::size_t position() const { return m_position; }
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek(std::size_t ahead = 0) const;
    /// Steps over `c` if it comes next.
    bool take(char c);
    /// How many ASCII digits follow, without moving.
    std::size_t digitsAhead() const;
    /// Moves `count` bytes on, at most to the end.
    void skip(std::size_t count);
    /// Reads exactly `count` digits, or nothing when fewer follow.
    std::optional<int> number(std::size_t count);

private:
    std::string_view m_text;
    std::size_t m_position;
};

/// A date and time of day as written, before any check.
struct Fields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    std::chrono::minutes offset{0}; ///< local time minus UTC
};

/// Reads YYYY-MM-DD or YYYYMMDD into `fields`.
bool readDate(Cursor& cursor, Fields& fields);
/// Reads hh:mm[:ss[.f...]] or hhmm[ss[.f...]] into `fields`; the digits of a fraction
/// past the millisecond are cut off.
bool readTimeOfDay(Cursor& cursor, Fields& fields);
/// Reads "Z" or ±hh[[:]mm]: TimeError::MissingZone at the end of the text, BadZone when
/// something else follows.
TimeError readZone(Cursor& cursor, Fields& fields);

/// Checks the fields against the calendar and the clock and gives the instant they
/// name, or the error (NoSuchDate, NoSuchTime); the caller sets the position.
TimeParse toUtc(const Fields& fields);

} // namespace orvinta::timefields
