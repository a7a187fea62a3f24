// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historystats.h"

#include <vector>

namespace orvinta::history {

struct PlotPoint {
    double x;
    double y;

    friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

/// A run of points drawn as one line.
using LineSegment = std::vector<PlotPoint>;

/// The x distance beyond which two neighbouring values of a line are not joined: ten
/// times the median spacing of the table's rows on a time axis, so that the hours
/// between two passes show as a break and not as a trend; infinite on line numbers.
double lineBreakGap(const HistoryTable& table);

/// The lines that draw channel `channel` (0 to 7) over `range` in a chart `columns`
/// pixels wide, broken where neighbouring values lie more than lineBreakGap() apart
/// (and more than a pixel column, where a break could not be seen). Where a pixel
/// column holds more values than can be seen, only its first, lowest, highest and last
/// value are kept: the line looks exactly as with every value, and a table of any size
/// costs at most four points a column. The nearest value beyond each end of the range
/// is added so the line runs to the edge. FEHLER values are left out; the line joins
/// their neighbours.
std::vector<LineSegment> lineSegments(const HistoryTable& table, std::size_t channel, Range range,
                                      int columns);

} // namespace orvinta::history
