// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/historyframes.h"
#include "history/historytable.h"
#include "history/rowreading.h"

#include "support/testnames.h"
#include "tablesupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <ostream>

namespace orvinta::history {
namespace {

using test::at;
using test::kSampleRow;

std::string testData(const char* name) {
    std::ifstream file(std::string(ORVINTA_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

const std::vector<double> kSampleValues{4.892308, 10.944, 3.7878, 947.282044887781,
                                        7.832,    119,    .3,     8.68};

std::vector<double> rowValues(const HistoryTable& table, std::size_t row) {
    std::vector<double> values;
    for (const std::vector<double>& column : table.values)
        values.push_back(column.at(row));
    return values;
}

TEST(HistoryTable, ReadsTheTablesTheProgramWrites) {
    const HistoryTable plain = parseTable(testData("sample-table.txt"));
    EXPECT_EQ(plain.axis, AxisKind::Row);
    EXPECT_EQ(plain.x, std::vector<double>{2.0}) << "the line number, after the header";
    EXPECT_EQ(rowValues(plain, 0), kSampleValues);
    EXPECT_TRUE(plain.problems.empty());

    const HistoryTable extended = parseTable(testData("sample-table-extended.txt"));
    ASSERT_EQ(extended.size(), 2U);
    EXPECT_TRUE(std::isnan(extended.values[1][1])) << "FEHLER";
    EXPECT_EQ(extended.values[0][1], 4.892308);

    const HistoryTable timed = parseTable(testData("sample-table-timed.txt"));
    EXPECT_EQ(timed.axis, AxisKind::Time);
    EXPECT_EQ(timed.x, std::vector<double>{at("2026-12-07T14:05:00Z")});
    EXPECT_EQ(rowValues(timed, 0), kSampleValues);
    EXPECT_EQ(timed.rowsWithoutTime, 1U) << "the row with an empty time column";
}

TEST(HistoryTable, PutsTimedRowsInTimeOrder) {
    const HistoryTable table = parseTable(test::knownPass());
    EXPECT_EQ(table.x, (std::vector<double>{at("2026-12-07T14:00:00Z"), at("2026-12-07T14:01:00Z"),
                                            at("2026-12-07T14:02:00Z"), at("2026-12-07T14:03:00Z"),
                                            at("2026-12-07T14:04:00Z")}));
    EXPECT_EQ(table.values[0], (std::vector<double>{4.8, 4.9, 5, 5.1, 5.2}));
    EXPECT_EQ(table.values[2], (std::vector<double>{-1.5, -.5, .5, 1.5, 2.5}));
}

TEST(HistoryTable, TakesLfAloneNoFinalLineEndHeadersAndEmptyLinesAnywhere) {
    const std::string header(tableHeader());
    const HistoryTable table =
        parseTable(kSampleRow + "\n\n" + header + "\r\n\r\n" + kSampleRow + "\r\n" + kSampleRow);
    EXPECT_EQ(table.x, (std::vector<double>{1, 5, 6}));
    EXPECT_TRUE(table.problems.empty());
}

struct BadLine {
    std::string line;
    std::string reason;
};

void PrintTo(const BadLine& c, std::ostream* out) {
    *out << c.line.substr(0, 30);
}

class MalformedRows : public testing::TestWithParam<BadLine> {};

TEST_P(MalformedRows, AreReportedWithTheirLineAndTheOthersKept) {
    const HistoryTable table = parseTable(std::string(tableHeader()) + "\r\n" + kSampleRow +
                                          "\r\n" + GetParam().line + "\r\n" + kSampleRow + "\r\n");
    EXPECT_EQ(table.x, (std::vector<double>{2, 4}));
    ASSERT_EQ(table.problems.size(), 1U);
    EXPECT_EQ(table.problems[0], (RowProblem{3, GetParam().reason}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedRows,
    testing::Values(
        BadLine{"6;OK; 4.892308", "3 Felder statt 10 (oder 11 mit der Zeit vorn)"},
        BadLine{"E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE",
                "1 Feld statt 10 (oder 11 mit der Zeit vorn)"},
        BadLine{"x;" + kSampleRow + ";y", "12 Felder statt 10 (oder 11 mit der Zeit vorn)"},
        BadLine{"6;OK; 4.8x; 10.944; 3.7878; 947.28; 7.832; 119; .3; 8.68",
                "Kanal 1: \" 4.8x\" ist weder Zahl noch FEHLER"},
        BadLine{"6;OK; 4.8; 10.944; 3.7878; 947.28; 7.832; 119; .3;inf",
                "Kanal 8: \"inf\" ist weder Zahl noch FEHLER"},
        BadLine{"6;OK; 4.8; 10.944; 3.7878; 947.28; 7.832;; .3; 8.68",
                "Kanal 6: \"\" ist weder Zahl noch FEHLER"},
        BadLine{"6;OK; 4.8; 10.944; 3.7878; \xB0; 7.832; 119; .3; 8.68",
                "Kanal 4: \" ?\" ist weder Zahl noch FEHLER"},
        BadLine{"2026-12-07T14:05:00;" + kSampleRow,
                "ungültige Zeit \"2026-12-07T14:05:00\": die Zeitzone fehlt (Z oder ±hh:mm)"},
        BadLine{"gestern;" + kSampleRow,
                "ungültige Zeit \"gestern\": das Datum ist nicht JJJJ-MM-TT"}),
    test::PrintedName());

struct ChannelText {
    const char* text;
    double value; ///< NaN for FEHLER
    bool readable;
};

void PrintTo(const ChannelText& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class ChannelValues : public testing::TestWithParam<ChannelText> {};

TEST_P(ChannelValues, AreTheOutputWindowsTextsOrNothing) {
    const std::optional<double> value = channelValue(GetParam().text);
    ASSERT_EQ(value.has_value(), GetParam().readable);
    if (!value)
        return;
    if (std::isnan(GetParam().value)) {
        EXPECT_TRUE(std::isnan(*value));
    } else {
        EXPECT_EQ(*value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ChannelValues,
                         testing::Values(ChannelText{" 4.892308", 4.892308, true},
                                         ChannelText{" .3", .3, true},
                                         ChannelText{"-.3", -.3, true}, ChannelText{" 0", 0, true},
                                         ChannelText{" 1E-05", 1e-5, true},
                                         ChannelText{"FEHLER", NAN, true},
                                         ChannelText{"fehler", 0, false}, ChannelText{"", 0, false},
                                         ChannelText{" ", 0, false}, ChannelText{"  1", 0, false},
                                         ChannelText{"+1", 0, false}, ChannelText{"nan", 0, false},
                                         ChannelText{"1,5", 0, false}),
                         test::PrintedName());

TEST(HistoryTable, LoadingReportsTheSystemsReason) {
    HistoryTable table;
    std::string error;
    EXPECT_FALSE(loadTable("/nonexistent/table.txt", &table, &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(loadTable(ORVINTA_TEST_DATA, &table, &error));
    EXPECT_EQ(error, "Is a directory");
    ASSERT_TRUE(
        loadTable(std::string(ORVINTA_TEST_DATA) + "/sample-table-extended.txt", &table, &error));
    EXPECT_EQ(table.size(), 2U);
}

TEST(HistoryFrames, FramesInMemoryBecomeATableLikeAFile) {
    const std::optional<HistoryFrame> heard =
        frameFromLine(parseIsoTime("2026-12-07T14:06:00Z").time,
                      "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
    ASSERT_TRUE(heard);
    EXPECT_EQ(heard->texts[2], " 4.892308");
    EXPECT_FALSE(frameFromLine(std::nullopt, ""));

    HistoryFrame earlier = *heard;
    earlier.time = parseIsoTime("2026-12-07T14:05:00Z").time;
    earlier.texts[3] = "FEHLER";
    const std::vector<HistoryFrame> frames{*heard, earlier};
    const HistoryTable table = tableFromFrames(frames);
    EXPECT_EQ(table.axis, AxisKind::Time);
    EXPECT_EQ(table.x,
              (std::vector<double>{at("2026-12-07T14:05:00Z"), at("2026-12-07T14:06:00Z")}));
    EXPECT_TRUE(std::isnan(table.values[1][0]));

    std::vector<HistoryFrame> untimed{*heard, *heard};
    untimed[0].time.reset();
    untimed[1].time.reset();
    untimed[1].texts[9] = "?";
    const HistoryTable counted = tableFromFrames(untimed);
    EXPECT_EQ(counted.axis, AxisKind::Row);
    EXPECT_EQ(counted.x, std::vector<double>{1});
    EXPECT_EQ(counted.problems, (std::vector<RowProblem>{{2, "Kanal 8 ist kein Wert"}}));
}

} // namespace
} // namespace orvinta::history
