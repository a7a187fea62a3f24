// SPDX-License-Identifier: GPL-3.0-or-later
#include "axisticks.h"

#include <array>
#include <chrono>
#include <cmath>

namespace orvinta::history {

namespace {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

constexpr Milliseconds kMinute = 1min;
constexpr Milliseconds kDay = 24h;

/// Steps a reader takes in at a glance: the clock's own divisions, then days and weeks.
constexpr std::array<Milliseconds, 26> kTimeSteps{
    1s, 2s, 5s, 10s, 15s, 30s, 1min, 2min, 5min, 10min, 15min, 30min, 1h,
    2h, 3h, 6h, 12h, 24h, 48h, 168h, 336h, 720h, 1440h, 2160h, 4320h, 8760h};

/// A line-number step of 1, 2 or 5 times a power of ten.
constexpr std::array<double, 3> kRoundMantissas{1.0, 2.0, 5.0};

// Pieces of "2026-12-07T14:05:30Z" as formatIsoTime() writes it.
constexpr std::size_t kDateLength = 10;
constexpr std::size_t kMonthAt = 5;
constexpr std::size_t kMonthDayLength = 5;
constexpr std::size_t kClockAt = 11;
constexpr std::size_t kHoursMinutesLength = 5;
constexpr std::size_t kClockLength = 8;

std::string timeLabel(UtcTime time, Milliseconds step, bool severalDays) {
    const std::string iso = formatIsoTime(time);
    if (step >= kDay)
        return iso.substr(0, kDateLength);
    std::string label = iso.substr(kClockAt, step >= kMinute ? kHoursMinutesLength : kClockLength);
    // On several days a time alone is ambiguous: month and day go before it.
    return severalDays ? iso.substr(kMonthAt, kMonthDayLength) + " " + label : label;
}

/// The first multiple of `step` at or after `value`, for negative values too.
long long firstMultiple(long long value, long long step) {
    long long quotient = value / step;
    if (quotient * step < value)
        ++quotient;
    return quotient * step;
}

AxisTicks timeTicks(Range range, int maxTicks) {
    const double span = range.to - range.from;
    Milliseconds step = kTimeSteps.back();
    for (const Milliseconds candidate : kTimeSteps) {
        if (span / static_cast<double>(candidate.count()) <= maxTicks) {
            step = candidate;
            break;
        }
    }
    const auto first = UtcTime(Milliseconds(std::llround(range.from)));
    const auto last = UtcTime(Milliseconds(std::llround(range.to)));
    const bool severalDays =
        std::chrono::floor<std::chrono::days>(first) != std::chrono::floor<std::chrono::days>(last);
    AxisTicks axis{"Zeit (UTC)", {}};
    if (!severalDays)
        axis.title += ", " + formatIsoTime(first).substr(0, kDateLength);
    const long long stepCount = step.count();
    long long tick = firstMultiple(first.time_since_epoch().count(), stepCount);
    for (; tick <= last.time_since_epoch().count(); tick += stepCount) {
        const UtcTime time{Milliseconds(tick)};
        axis.ticks.push_back({static_cast<double>(tick), timeLabel(time, step, severalDays)});
    }
    return axis;
}

AxisTicks rowTicks(Range range, int maxTicks) {
    const double span = range.to - range.from;
    double step = 1.0;
    for (double power = 1.0; span / step > maxTicks; power *= 10.0) {
        for (const double mantissa : kRoundMantissas) {
            step = mantissa * power;
            if (span / step <= maxTicks)
                break;
        }
    }
    AxisTicks axis{"Zeile", {}};
    for (double tick = std::ceil(range.from / step) * step; tick <= range.to; tick += step)
        axis.ticks.push_back({tick, std::to_string(std::llround(tick))});
    return axis;
}

} // namespace

AxisTicks axisTicks(AxisKind axis, Range range, int maxTicks) {
    const int ticks = std::max(maxTicks, 1);
    return axis == AxisKind::Time ? timeTicks(range, ticks) : rowTicks(range, ticks);
}

} // namespace orvinta::history
