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

/// The points that draw channel `channel` (0 to 7) over `range` in a chart `columns`
/// pixels wide. Where a pixel column holds more values than can be seen, only its
/// first, lowest, highest and last value are kept: the line looks exactly as with
/// every value, and a table of any size costs at most four points a column. The
/// nearest value beyond each end of the range is added so the line runs to the edge.
/// FEHLER values are left out; the line joins their neighbours.
std::vector<PlotPoint> linePoints(const HistoryTable& table, std::size_t channel, Range range,
                                  int columns);

} // namespace orvinta::history
