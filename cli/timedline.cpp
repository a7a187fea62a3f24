// SPDX-License-Identifier: GPL-3.0-or-later
#include "timedline.h"

namespace orvinta {

namespace {

constexpr std::size_t kYearDigits = 4;

bool startsWithYear(std::string_view head) {
    if (head.size() < kYearDigits)
        return false;
    for (std::size_t i = 0; i < kYearDigits; ++i) {
        if (head[i] < '0' || head[i] > '9')
            return false;
    }
    return true;
}

} // namespace

SplitLine splitTimedLine(std::string_view head, std::string_view tail, std::size_t length) {
    const std::size_t tab = head.find('\t');
    if (!startsWithYear(head) || tab == std::string_view::npos)
        return {false, {}, tail};
    // The tail holds the last tail.size() bytes of the line; the telemetry starts after
    // the TAB, which a long line has already dropped from its tail.
    const std::size_t tailStart = length - tail.size();
    const std::size_t telemetryStart = tab + 1 > tailStart ? tab + 1 - tailStart : 0;
    return {true, head.substr(0, tab), tail.substr(telemetryStart)};
}

} // namespace orvinta
