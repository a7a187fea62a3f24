// SPDX-License-Identifier: GPL-3.0-or-later
#include "rangetext.h"

#include <charconv>
#include <cmath>

namespace orvinta::history {

std::optional<double> readRangeEnd(AxisKind axis, std::string_view text, std::string* error) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (axis == AxisKind::Time) {
        const TimeParse time = parseIsoTime(text);
        if (!time) {
            *error = describeTimeError(text, time);
            return std::nullopt;
        }
        return static_cast<double>(time.time->time_since_epoch().count());
    }
    long long line = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, line);
    if (text.empty() || status != std::errc{} || stop != end) {
        *error = std::string(1, '"').append(text).append("\" ist keine Zeilennummer");
        return std::nullopt;
    }
    return static_cast<double>(line);
}

std::string rangeEndText(AxisKind axis, double x) {
    if (axis == AxisKind::Time)
        return formatIsoTime(UtcTime(std::chrono::milliseconds(std::llround(x))));
    return std::to_string(std::llround(x));
}

} // namespace orvinta::history
