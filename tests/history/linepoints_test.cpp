// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/linepoints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace orvinta::history {
namespace {

/// A table on line numbers 1..n whose channel 1 holds `values`.
HistoryTable tableOf(const std::vector<double>& values) {
    HistoryTable table;
    for (std::size_t i = 0; i < values.size(); ++i) {
        table.x.push_back(static_cast<double>(i + 1));
        for (std::vector<double>& column : table.values)
            column.push_back(values[i]);
    }
    return table;
}

TEST(LinePoints, FewValuesAreDrawnAllWithTheirNeighboursBeyondTheEnds) {
    const HistoryTable table = tableOf({1, 2, NAN, 4, 5, 6});
    EXPECT_EQ(linePoints(table, 0, {2, 5}, 100),
              (std::vector<PlotPoint>{{1, 1}, {2, 2}, {4, 4}, {5, 5}, {6, 6}}));
    EXPECT_EQ(linePoints(table, 0, {1, 6}, 100).size(), 5U) << "FEHLER is left out";
    EXPECT_EQ(linePoints(table, 0, {3, 3}, 100), (std::vector<PlotPoint>{{2, 2}, {4, 4}}))
        << "a range on a FEHLER row still joins its neighbours";
}

TEST(LinePoints, ManyValuesKeepTheFirstLowestHighestAndLastOfEachColumn) {
    // 100 000 values, a spike up and one down in the middle of otherwise level ground.
    std::vector<double> values(100'000, 5.0);
    values[50'000] = 99.0;
    values[50'001] = -99.0;
    values[70'000] = NAN;
    const HistoryTable table = tableOf(values);
    const int columns = 500;
    const std::vector<PlotPoint> points = linePoints(table, 0, {1, 100'000}, columns);

    EXPECT_LE(points.size(), 4U * columns);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](const PlotPoint& a, const PlotPoint& b) { return a.x < b.x; }));
    EXPECT_EQ(points.front(), (PlotPoint{1, 5}));
    EXPECT_EQ(points.back(), (PlotPoint{100'000, 5}));
    EXPECT_NE(std::find(points.begin(), points.end(), PlotPoint{50'001, 99}), points.end());
    EXPECT_NE(std::find(points.begin(), points.end(), PlotPoint{50'002, -99}), points.end());
    EXPECT_TRUE(std::none_of(points.begin(), points.end(),
                             [](const PlotPoint& p) { return std::isnan(p.y); }));
}

TEST(LinePoints, AChannelOfOnlyFehlerHasNoLine) {
    const HistoryTable table = tableOf({NAN, NAN, NAN});
    EXPECT_TRUE(linePoints(table, 3, {1, 3}, 10).empty());
    EXPECT_TRUE(linePoints(HistoryTable{}, 0, {0, 0}, 10).empty());
}

} // namespace
} // namespace orvinta::history
