// SPDX-License-Identifier: GPL-3.0-or-later
#include "linepoints.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace orvinta::history {

namespace {

/// First, lowest, highest and last value of a pixel column.
constexpr std::size_t kPointsPerColumn = 4;
/// Within a pass the frames follow each other at about the same spacing; a line breaks
/// only where two values lie this many median spacings apart.
constexpr double kBreakSpacings = 10.0;

/// The nearest row before `index` (going down) or from `index` on (going up) whose value
/// is not FEHLER; `values.size()` when there is none.
std::size_t nearestValue(const std::vector<double>& values, std::size_t index, bool down) {
    if (down) {
        while (index > 0) {
            if (!std::isnan(values[--index]))
                return index;
        }
        return values.size();
    }
    for (; index < values.size(); ++index) {
        if (!std::isnan(values[index]))
            return index;
    }
    return values.size();
}

/// The rows of one pixel column that drawing needs.
struct ColumnRows {
    explicit ColumnRows(std::size_t row)
        : first(row)
        , low(row)
        , high(row)
        , last(row) {}

    void add(std::size_t row, const std::vector<double>& values) {
        low = values[row] < values[low] ? row : low;
        high = values[row] > values[high] ? row : high;
        last = row;
    }

    void keepInto(std::vector<std::size_t>& kept) const {
        // Low and high may come in either order; the caller sorts.
        kept.insert(kept.end(), {first, low, high, last});
    }

    std::size_t first;
    std::size_t low;
    std::size_t high;
    std::size_t last;
};

std::size_t columnOf(double x, Range range, std::size_t columns) {
    const double width = range.to - range.from;
    const double position = width > 0.0 ? (x - range.from) / width : 0.0;
    const double column = std::floor(position * static_cast<double>(columns));
    return std::min(columns - 1, static_cast<std::size_t>(std::max(0.0, column)));
}

/// Adds the rows [first, last) with values, thinned to four per pixel column.
void addThinned(const HistoryTable& table, const std::vector<double>& values, Range range,
                std::size_t columns, std::pair<std::size_t, std::size_t> rows,
                std::vector<PlotPoint>& points) {
    std::vector<std::size_t> kept;
    kept.reserve(kPointsPerColumn * columns);
    std::optional<ColumnRows> current;
    std::size_t column = 0;
    for (std::size_t i = rows.first; i < rows.second; ++i) {
        if (std::isnan(values[i]))
            continue;
        const std::size_t here = columnOf(table.x[i], range, columns);
        if (current && here == column) {
            current->add(i, values);
            continue;
        }
        if (current)
            current->keepInto(kept);
        current.emplace(i);
        column = here;
    }
    if (current)
        current->keepInto(kept);
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    for (const std::size_t i : kept)
        points.push_back({table.x[i], values[i]});
}

} // namespace

double lineBreakGap(const HistoryTable& table) {
    if (table.axis != AxisKind::Time)
        return std::numeric_limits<double>::infinity();
    std::vector<double> spacings;
    spacings.reserve(table.size());
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (const double spacing = table.x[i] - table.x[i - 1]; spacing > 0.0)
            spacings.push_back(spacing);
    }
    if (spacings.empty())
        return std::numeric_limits<double>::infinity();
    const auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2);
    std::nth_element(spacings.begin(), middle, spacings.end());
    return kBreakSpacings * *middle;
}

std::vector<LineSegment> lineSegments(const HistoryTable& table, std::size_t channel, Range range,
                                      int columns) {
    const std::vector<double>& values = table.values[channel];
    const auto [first, last] = rowsIn(table, range);
    const auto width = static_cast<std::size_t>(std::max(columns, 1));
    const double columnWidth = (range.to - range.from) / static_cast<double>(width);
    const double gap = std::max(lineBreakGap(table), columnWidth);
    const bool thinned = last - first > kPointsPerColumn * width;

    // The rows drawn run from the nearest value before the range to the nearest after.
    const std::size_t before = nearestValue(values, first, true);
    const std::size_t after = nearestValue(values, last, false);
    const std::size_t begin = before != values.size() ? before : first;
    const std::size_t end = after != values.size() ? after + 1 : last;

    std::vector<LineSegment> segments;
    const auto addRun = [&](std::size_t runBegin, std::size_t runEnd) {
        LineSegment& points = segments.emplace_back();
        if (thinned) {
            addThinned(table, values, range, width, {runBegin, runEnd}, points);
            return;
        }
        for (std::size_t i = runBegin; i < runEnd; ++i) {
            if (!std::isnan(values[i]))
                points.push_back({table.x[i], values[i]});
        }
    };
    std::size_t runBegin = begin;
    std::size_t previous = values.size();
    for (std::size_t i = begin; i < end; ++i) {
        if (std::isnan(values[i]))
            continue;
        if (previous != values.size() && table.x[i] - table.x[previous] > gap) {
            addRun(runBegin, previous + 1);
            runBegin = i;
        }
        previous = i;
    }
    if (previous != values.size())
        addRun(runBegin, previous + 1);
    return segments;
}

} // namespace orvinta::history
