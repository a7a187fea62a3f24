// SPDX-License-Identifier: GPL-3.0-or-later
#include "timefields.h"

#include <algorithm>

namespace orvinta::timefields {

namespace {

constexpr std::size_t kYearDigits = 4;
constexpr std::size_t kFieldDigits = 2;
constexpr std::size_t kMillisecondDigits = 3;
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr int kSecondsPerMinute = 60;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Reads ".f..." or ",f..." if one follows.
void readFraction(Cursor& cursor, Fields& fields) {
    // A point without digits is no fraction; in a file name it starts the extension.
    if ((cursor.peek() != '.' && cursor.peek() != ',') || !isDigit(cursor.peek(1)))
        return;
    cursor.skip(1);
    const std::size_t digits = cursor.digitsAhead();
    int millisecond = 0;
    for (std::size_t i = 0; i < kMillisecondDigits; ++i) {
        millisecond *= 10;
        if (i < digits)
            millisecond += cursor.peek(i) - '0';
    }
    cursor.skip(digits);
    fields.millisecond = millisecond;
}

} // namespace

char Cursor::peek(std::size_t ahead) const {
    const std::size_t at = m_position + ahead;
    return at < m_text.size() ? m_text[at] : '\0';
}

bool Cursor::take(char c) {
    if (atEnd() || m_text[m_position] != c)
        return false;
    ++m_position;
    return true;
}

std::size_t Cursor::digitsAhead() const {
    std::size_t count = 0;
    while (isDigit(peek(count)))
        ++count;
    return count;
}

void Cursor::skip(std::size_t count) {
    m_position = std::min(m_position + count, m_text.size());
}

std::optional<int> Cursor::number(std::size_t count) {
    if (digitsAhead() < count)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = value * 10 + (m_text[m_position + i] - '0');
    m_position += count;
    return value;
}

bool readDate(Cursor& cursor, Fields& fields) {
    const std::optional<int> year = cursor.number(kYearDigits);
    if (!year)
        return false;
    const bool extended = cursor.take('-');
    const std::optional<int> month = cursor.number(kFieldDigits);
    if (!month || (extended && !cursor.take('-')))
        return false;
    const std::optional<int> day = cursor.number(kFieldDigits);
    if (!day)
        return false;
    fields.year = *year;
    fields.month = *month;
    fields.day = *day;
    return true;
}

bool readTimeOfDay(Cursor& cursor, Fields& fields) {
    const std::optional<int> hour = cursor.number(kFieldDigits);
    if (!hour)
        return false;
    const bool extended = cursor.take(':');
    const std::optional<int> minute = cursor.number(kFieldDigits);
    if (!minute)
        return false;
    fields.hour = *hour;
    fields.minute = *minute;
    fields.second = 0;
    fields.millisecond = 0;
    // Seconds are optional; in the basic form they are simply two more digits.
    const bool hasSeconds = extended ? cursor.take(':') : cursor.digitsAhead() > 0;
    if (!hasSeconds)
        return true;
    const std::optional<int> second = cursor.number(kFieldDigits);
    if (!second)
        return false;
    fields.second = *second;
    readFraction(cursor, fields);
    return true;
}

TimeError readZone(Cursor& cursor, Fields& fields) {
    if (cursor.take('Z') || cursor.take('z')) {
        fields.offset = std::chrono::minutes(0);
        return TimeError::None;
    }
    if (cursor.atEnd())
        return TimeError::MissingZone;
    const char sign = cursor.peek();
    if (sign != '+' && sign != '-')
        return TimeError::BadZone;
    cursor.take(sign);
    const std::optional<int> hours = cursor.number(kFieldDigits);
    if (!hours)
        return TimeError::BadZone;
    int minutes = 0;
    const bool colon = cursor.take(':');
    if (colon || cursor.digitsAhead() > 0) {
        const std::optional<int> value = cursor.number(kFieldDigits);
        if (!value)
            return TimeError::BadZone;
        minutes = *value;
    }
    if (*hours >= kHoursPerDay || minutes >= kMinutesPerHour)
        return TimeError::BadZone;
    const std::chrono::minutes offset(*hours * kMinutesPerHour + minutes);
    fields.offset = sign == '-' ? -offset : offset;
    return TimeError::None;
}

TimeParse toUtc(const Fields& fields) {
    using namespace std::chrono;
    const year_month_day date{year(fields.year), month(static_cast<unsigned>(fields.month)),
                              day(static_cast<unsigned>(fields.day))};
    if (!date.ok())
        return {std::nullopt, TimeError::NoSuchDate, 0};
    if (fields.hour >= kHoursPerDay || fields.minute >= kMinutesPerHour ||
        fields.second >= kSecondsPerMinute)
        return {std::nullopt, TimeError::NoSuchTime, 0};
    const UtcTime local = sys_days(date) + hours(fields.hour) + minutes(fields.minute) +
                          seconds(fields.second) + milliseconds(fields.millisecond);
    return {local - fields.offset, TimeError::None, 0};
}

} // namespace orvinta::timefields
