// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historystats.h"

#include <string>
#include <vector>

namespace orvinta::history {

struct Tick {
    double value;
    std::string label;

    friend bool operator==(const Tick&, const Tick&) = default;
};

/// The marks of an x axis and its title.
struct AxisTicks {
    std::string title;
    std::vector<Tick> ticks;
};

/// At most `maxTicks` marks over `range`, on round values. Times are shown in UTC, on
/// whole seconds, minutes, hours or days: "14:05:30", "14:05" or "2026-12-07", with the
/// day in the title when the range lies within one day and before each time when it
/// does not. Line numbers are whole multiples of 1, 2 or 5 times a power of ten.
AxisTicks axisTicks(AxisKind axis, Range range, int maxTicks);

} // namespace orvinta::history
