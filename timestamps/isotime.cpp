// SPDX-License-Identifier: GPL-3.0-or-later
#include "isotime.h"

#include "timefields.h"

#include <cmath>
#include <cstdio>

namespace orvinta {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

TimeParse failure(TimeError error, std::size_t position) {
    return {std::nullopt, error, position};
}

} // namespace

TimeParse parseIsoTime(std::string_view text) {
    using namespace timefields;
    if (text.empty())
        return failure(TimeError::Empty, 0);
    Cursor cursor(text);
    Fields fields;
    if (!readDate(cursor, fields))
        return failure(TimeError::BadDate, cursor.position());
    if (!cursor.take('T') && !cursor.take('t') && !cursor.take(' '))
        return failure(TimeError::MissingTime, cursor.position());
    const std::size_t timeStart = cursor.position();
    if (!readTimeOfDay(cursor, fields))
        return failure(TimeError::BadTime, cursor.position());
    const std::size_t zoneStart = cursor.position();
    if (const TimeError zone = readZone(cursor, fields); zone != TimeError::None)
        return failure(zone, zone == TimeError::BadZone ? cursor.position() : zoneStart);
    if (!cursor.atEnd())
        return failure(TimeError::TrailingText, cursor.position());
    TimeParse result = toUtc(fields);
    if (!result)
        result.position = result.error == TimeError::NoSuchDate ? 0 : timeStart;
    return result;
}

std::string formatIsoTime(UtcTime time) {
    using namespace std::chrono;
    const sys_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss<milliseconds> clock(time - day);
    char buffer[48];
    int length = std::snprintf(
        buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()));
    std::string text(buffer, static_cast<std::size_t>(length));
    if (const auto millisecond = clock.subseconds().count(); millisecond != 0) {
        length = std::snprintf(buffer, sizeof buffer, ".%03d", static_cast<int>(millisecond));
        text.append(buffer, static_cast<std::size_t>(length));
    }
    text.push_back('Z');
    return text;
}

UtcTime timeAtOffset(UtcTime start, double seconds) {
    return start + std::chrono::milliseconds(std::llround(seconds * kMillisecondsPerSecond));
}

std::string_view timeErrorText(TimeError error) {
    switch (error) {
    case TimeError::None:
        return "";
    case TimeError::Empty:
        return "keine Zeit angegeben";
    case TimeError::BadDate:
        return "das Datum ist nicht JJJJ-MM-TT";
    case TimeError::NoSuchDate:
        return "das Datum gibt es nicht";
    case TimeError::MissingTime:
        return "nach dem Datum fehlen T und die Uhrzeit";
    case TimeError::BadTime:
        return "die Uhrzeit ist nicht hh:mm:ss";
    case TimeError::NoSuchTime:
        return "die Uhrzeit gibt es nicht";
    case TimeError::MissingZone:
        return "die Zeitzone fehlt (Z oder ±hh:mm)";
    case TimeError::BadZone:
        return "die Zeitzone ist nicht Z oder ±hh:mm";
    case TimeError::TrailingText:
        return "nach der Zeit folgt weiterer Text";
    case TimeError::NoTimeInName:
        return "der Dateiname enthält keine Startzeit";
    case TimeError::SeveralInName:
        return "der Dateiname enthält verschiedene Zeiten";
    }
    return "";
}

std::string describeTimeError(std::string_view text, const TimeParse& result) {
    std::string message = "ungültige Zeit \"";
    message.append(text).append("\": ").append(timeErrorText(result.error));
    return message;
}

} // namespace orvinta
