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

/// The points of all segments, in order.
std::vector<PlotPoint> allPoints(const HistoryTable& table, std::size_t channel, Range range,
                                 int columns) {
    std::vector<PlotPoint> points;
    for (const LineSegment& segment : lineSegments(table, channel, range, columns))
        points.insert(points.end(), segment.begin(), segment.end());
    return points;
}

TEST(LinePoints, FewValuesAreDrawnAllWithTheirNeighboursBeyondTheEnds) {
    const HistoryTable table = tableOf({1, 2, NAN, 4, 5, 6});
    EXPECT_EQ(allPoints(table, 0, {2, 5}, 100),
              (std::vector<PlotPoint>{{1, 1}, {2, 2}, {4, 4}, {5, 5}, {6, 6}}));
    EXPECT_EQ(allPoints(table, 0, {1, 6}, 100).size(), 5U) << "FEHLER is left out";
    EXPECT_EQ(allPoints(table, 0, {3, 3}, 100), (std::vector<PlotPoint>{{2, 2}, {4, 4}}))
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
    const std::vector<PlotPoint> points = allPoints(table, 0, {1, 100'000}, columns);

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
    EXPECT_TRUE(allPoints(table, 3, {1, 3}, 10).empty());
    EXPECT_TRUE(allPoints(HistoryTable{}, 0, {0, 0}, 10).empty());
    EXPECT_TRUE(lineSegments(table, 3, {1, 3}, 10).empty()) << "not even an empty segment";
}

constexpr double kSecond = 1000.0;
constexpr double kMinute = 60 * kSecond;

/// A timed table with one row at each of `seconds` (since an arbitrary start), channel
/// 1 holding the row's number.
HistoryTable timedTable(const std::vector<double>& seconds) {
    HistoryTable table;
    table.axis = AxisKind::Time;
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        table.x.push_back(seconds[i] * kSecond);
        for (std::vector<double>& column : table.values)
            column.push_back(static_cast<double>(i + 1));
    }
    return table;
}

/// The number of points in each segment.
std::vector<std::size_t> segmentSizes(const std::vector<LineSegment>& segments) {
    std::vector<std::size_t> sizes;
    for (const LineSegment& segment : segments)
        sizes.push_back(segment.size());
    return sizes;
}

TEST(LineBreaks, FallWhereRowsLieMoreThanTenMedianSpacingsApart) {
    struct Case {
        const char* name;
        std::vector<double> seconds;
        std::vector<std::size_t> sizes;
    };
    const std::vector<Case> cases{
        {"one pass", {0, 10, 20, 30, 40}, {5}},
        {"two passes 84 minutes apart", {0, 10, 20, 5040, 5050, 5060, 5070}, {3, 4}},
        {"exactly ten spacings is no break", {0, 10, 20, 120, 130}, {5}},
        {"just over ten spacings", {0, 10, 20, 30, 131, 141}, {4, 2}},
        {"a lone frame between passes", {0, 10, 20, 3000, 6000, 6010, 6020}, {3, 1, 3}},
        {"uneven spacing within a pass", {0, 5, 25, 30, 60, 62}, {6}},
        {"two rows", {0, 5000}, {2}},
        {"one row", {0}, {1}},
    };
    for (const Case& c : cases) {
        const HistoryTable table = timedTable(c.seconds);
        EXPECT_EQ(segmentSizes(lineSegments(table, 0, fullRange(table), 2000)), c.sizes) << c.name;
    }
}

TEST(LineBreaks, ExactlyTenSpacingsIsTheLimit) {
    // Spacings 10 s, 10 s, 100 s, 10 s: the median is 10 s, the limit 100 s.
    const HistoryTable table = timedTable({0, 10, 20, 120, 130});
    EXPECT_DOUBLE_EQ(lineBreakGap(table), 100 * kSecond);
    EXPECT_EQ(lineBreakGap(HistoryTable{}), INFINITY);
    HistoryTable rows = table;
    rows.axis = AxisKind::Row;
    EXPECT_EQ(lineBreakGap(rows), INFINITY) << "line numbers never break";
}

TEST(LineBreaks, KeepEveryPointAndTheNeighboursBeyondTheRange) {
    const HistoryTable table = timedTable({0, 10, 20, 5040, 5050, 5060});
    const std::vector<LineSegment> segments =
        lineSegments(table, 0, {15 * kSecond, 5045 * kSecond}, 2000);
    ASSERT_EQ(segments.size(), 2U);
    EXPECT_EQ(segments[0], (LineSegment{{10 * kSecond, 2}, {20 * kSecond, 3}}));
    EXPECT_EQ(segments[1], (LineSegment{{5040 * kSecond, 4}, {5050 * kSecond, 5}}));
}

TEST(LineBreaks, AFehlerRowDoesNotHideAGap) {
    // The values of channel 1 on either side of the FEHLER row lie an hour apart.
    HistoryTable table = timedTable({0, 10, 20, 30, 3600, 3610});
    table.values[0][3] = NAN;
    EXPECT_EQ(segmentSizes(lineSegments(table, 0, fullRange(table), 2000)),
              (std::vector<std::size_t>{3, 2}));
}

TEST(LineBreaks, AGapNarrowerThanAPixelColumnIsNotBroken) {
    // 200 passes of 60 frames a day apart, drawn 100 pixels wide: each column holds
    // two passes, so a break could not be seen and the line is thinned as one.
    std::vector<double> seconds;
    for (int pass = 0; pass < 200; ++pass) {
        for (int frame = 0; frame < 60; ++frame)
            seconds.push_back(pass * 86400.0 * 0.25 + frame * 10.0);
    }
    const HistoryTable table = timedTable(seconds);
    const std::vector<LineSegment> wide = lineSegments(table, 0, fullRange(table), 100);
    EXPECT_EQ(wide.size(), 1U);
    EXPECT_LE(wide.front().size(), 4U * 100);
    const std::vector<LineSegment> narrow =
        lineSegments(table, 0, {0, 2 * 86400.0 * kSecond}, 2000);
    EXPECT_EQ(narrow.size(), 9U) << "a range of two days at full width breaks at each pass";
}

} // namespace
} // namespace orvinta::history
