// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/historystats.h"
#include "history/rangetext.h"
#include "history/statisticstext.h"

#include "tablesupport.h"

#include <gtest/gtest.h>

namespace orvinta::history {
namespace {

using test::at;

class KnownPass : public testing::Test {
protected:
    const HistoryTable table = parseTable(test::knownPass());
};

TEST_F(KnownPass, FiguresOverTheWholePass) {
    const auto figures = statistics(table, fullRange(table));
    EXPECT_EQ(figures[0].values, 5U);
    EXPECT_EQ(figures[0].fehler, 0U);
    EXPECT_DOUBLE_EQ(figures[0].minimum, 4.8);
    EXPECT_DOUBLE_EQ(figures[0].maximum, 5.2);
    EXPECT_DOUBLE_EQ(figures[0].mean, 5.0);

    EXPECT_EQ(figures[1].values, 4U);
    EXPECT_EQ(figures[1].fehler, 1U) << "FEHLER is counted, not averaged";
    EXPECT_DOUBLE_EQ(figures[1].minimum, 10);
    EXPECT_DOUBLE_EQ(figures[1].maximum, 14);
    EXPECT_DOUBLE_EQ(figures[1].mean, 12);

    EXPECT_DOUBLE_EQ(figures[2].minimum, -1.5);
    EXPECT_DOUBLE_EQ(figures[2].mean, .5);
    EXPECT_DOUBLE_EQ(figures[5].mean, 122.5);
    EXPECT_EQ(figures[5].fehler, 1U);
}

TEST_F(KnownPass, FiguresOverAShownRangeTakeOnlyItsRows) {
    const Range middle{at("2026-12-07T14:01:00Z"), at("2026-12-07T14:03:00Z")};
    EXPECT_EQ(rowsIn(table, middle), (std::pair<std::size_t, std::size_t>{1, 4}));
    const auto figures = statistics(table, middle);
    EXPECT_EQ(figures[0].values, 3U);
    EXPECT_DOUBLE_EQ(figures[0].mean, 5.0);
    EXPECT_EQ(figures[1].values, 2U);
    EXPECT_DOUBLE_EQ(figures[1].minimum, 11);
    EXPECT_DOUBLE_EQ(figures[1].maximum, 13);
    EXPECT_EQ(figures[5].values, 2U);
    EXPECT_DOUBLE_EQ(figures[5].mean, 125);

    const Range between{at("2026-12-07T14:00:10Z"), at("2026-12-07T14:00:50Z")};
    const auto none = statistics(table, between);
    EXPECT_EQ(none[0].values, 0U);
    EXPECT_EQ(statisticsTexts(none[0]), (std::array<std::string, 5>{"0", "0", "–", "–", "–"}));
}

TEST_F(KnownPass, FiguresReadAsTheTableShowsThem) {
    const auto figures = statistics(table, fullRange(table));
    EXPECT_EQ(statisticsTexts(figures[1]),
              (std::array<std::string, 5>{"4", "1", "10", "14", "12"}));
    EXPECT_EQ(statisticsTexts(figures[2]),
              (std::array<std::string, 5>{"5", "0", "-1.5", "2.5", "0.5"}));
    EXPECT_EQ(valueText(947.282044887781), "947.282");
    EXPECT_EQ(valueText(4.892308), "4.89231");
    EXPECT_EQ(valueText(0.000012), "1.2e-05");
}

TEST(HistoryStatistics, AnEmptyTableHasAnEmptyRange) {
    const HistoryTable empty;
    EXPECT_EQ(fullRange(empty), (Range{0, 0}));
    EXPECT_EQ(statistics(empty, {0, 10})[3].values, 0U);
}

TEST(RangeText, ReadsTimesOnATimeAxisAndLineNumbersOtherwise) {
    std::string error;
    EXPECT_EQ(readRangeEnd(AxisKind::Time, " 2026-12-07T16:05:00+02:00 ", &error),
              at("2026-12-07T14:05:00Z"));
    EXPECT_EQ(readRangeEnd(AxisKind::Row, "120", &error), 120.0);
    EXPECT_FALSE(readRangeEnd(AxisKind::Time, "120", &error));
    EXPECT_EQ(error, "ungültige Zeit \"120\": das Datum ist nicht JJJJ-MM-TT");
    EXPECT_FALSE(readRangeEnd(AxisKind::Row, "12a", &error));
    EXPECT_EQ(error, "\"12a\" ist keine Zeilennummer");
    EXPECT_FALSE(readRangeEnd(AxisKind::Row, "", &error));

    EXPECT_EQ(rangeEndText(AxisKind::Time, at("2026-12-07T14:05:00.5Z")),
              "2026-12-07T14:05:00.500Z");
    EXPECT_EQ(rangeEndText(AxisKind::Row, 42.0), "42");
}

} // namespace
} // namespace orvinta::history
