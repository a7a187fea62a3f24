// SPDX-License-Identifier: GPL-3.0-or-later
#include "filenametime.h"

#include "timefields.h"

#include <optional>

namespace orvinta {

namespace {

using timefields::Cursor;
using timefields::Fields;

constexpr std::size_t kBasicDateDigits = 8;
constexpr std::size_t kBasicTimeDigits = 6;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// hh-mm-ss, as programs write the time where colons are not allowed in file names.
bool readDashedTime(Cursor& cursor, Fields& fields) {
    const std::optional<int> hour = cursor.number(2);
    if (!hour || !cursor.take('-'))
        return false;
    const std::optional<int> minute = cursor.number(2);
    if (!minute || !cursor.take('-'))
        return false;
    const std::optional<int> second = cursor.number(2);
    if (!second)
        return false;
    fields.hour = *hour;
    fields.minute = *minute;
    fields.second = *second;
    return true;
}

/// YYYY-MM-DDThh:mm[:ss[.f]][zone] or YYYY-MM-DDThh-mm-ss[Z].
bool readExtendedForm(Cursor& cursor, Fields& fields) {
    if (cursor.peek(4) != '-' || !timefields::readDate(cursor, fields) || !cursor.take('T'))
        return false;
    if (cursor.peek(2) == '-') {
        if (!readDashedTime(cursor, fields))
            return false;
        cursor.take('Z');
        return true;
    }
    if (cursor.peek(2) != ':' || !timefields::readTimeOfDay(cursor, fields))
        return false;
    // A dash after the time may just as well start the next part of the name.
    Cursor zone = cursor;
    Fields zoned = fields;
    if (timefields::readZone(zone, zoned) == TimeError::None) {
        cursor = zone;
        fields = zoned;
    }
    return true;
}

/// YYYYMMDD_hhmmss[Z] or YYYYMMDDThhmmss[Z].
bool readBasicForm(Cursor& cursor, Fields& fields) {
    if (cursor.digitsAhead() != kBasicDateDigits || !timefields::readDate(cursor, fields))
        return false;
    if (!cursor.take('_') && !cursor.take('T'))
        return false;
    if (cursor.digitsAhead() != kBasicTimeDigits || !timefields::readTimeOfDay(cursor, fields))
        return false;
    cursor.take('Z');
    return true;
}

/// The time written at `start`, if one of the forms stands there whole: a form that
/// runs on into more digits is part of some other number.
std::optional<TimeParse> timeAt(std::string_view name, std::size_t start) {
    Fields extendedFields;
    Fields basicFields;
    Cursor extended(name, start);
    Cursor basic(name, start);
    const Fields* fields = nullptr;
    const Cursor* end = nullptr;
    if (readExtendedForm(extended, extendedFields)) {
        fields = &extendedFields;
        end = &extended;
    } else if (readBasicForm(basic, basicFields)) {
        fields = &basicFields;
        end = &basic;
    }
    if (end == nullptr || isDigit(end->peek()))
        return std::nullopt;
    TimeParse result = timefields::toUtc(*fields);
    result.position = start;
    return result;
}

std::string_view lastPart(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

TimeParse startTimeFromFileName(std::string_view path) {
    const std::string_view name = lastPart(path);
    std::optional<TimeParse> found;
    for (std::size_t start = 0; start < name.size(); ++start) {
        if (!isDigit(name[start]) || (start > 0 && isDigit(name[start - 1])))
            continue;
        const std::optional<TimeParse> here = timeAt(name, start);
        if (!here)
            continue;
        if (!*here)
            return *here; // a time that does not exist is reported, never skipped
        if (found && found->time != here->time)
            return {std::nullopt, TimeError::SeveralInName, start};
        if (!found)
            found = here;
    }
    if (!found)
        return {std::nullopt, TimeError::NoTimeInName, 0};
    return *found;
}

} // namespace orvinta
