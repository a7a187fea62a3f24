// SPDX-License-Identifier: GPL-3.0-or-later
// Lines that carry their time, "TIME<TAB>LINE", and the time column they fill.
#include "cli/decodecli.h"
#include "cli/timedline.h"
#include "clirun.h"
#include "support/sampleline.h"

#include "support/testnames.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

namespace orvinta {
namespace {

using test::CliRun;
using test::fileContent;
using test::kSampleLine;
using test::kSampleLineRow;
using test::run;

const std::string kTimedHeaderUtf8 =
    "Zeit (UTC);E PROM Block;Status;+5 V reguliet (V);+10 V Batterie (V);"
    "CW-TX-Temperatur (°C);CW-TX-Power-Out (mW);Temperatur Box 4 (°C);+10 V Strom (mA);"
    "+Z-Solarpanel (V);+8,5 V reguliert (V)";

std::string timed(const std::string& time, const std::string& line = kSampleLine) {
    return time + "\t" + line + "\n";
}

TEST(TimedInput, WithoutTheOptionRowsAreThoseOfThePlainLines) {
    const std::string input =
        timed("2026-12-07T14:05:00Z") + kSampleLine + "\n" +
        timed("2026-12-07T16:06:30.5+02:00", "3O AVT ABA AU4 AD4 AA4 ABT TTU AEE");
    const CliRun r = run({"--header"}, input);
    const CliRun plain = run({"--header"}, std::string(kSampleLine) + "\n" + kSampleLine + "\n" +
                                               "3O AVT ABA AU4 AD4 AA4 ABT TTU AEE\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, plain.out);
    EXPECT_EQ(r.err, "");
}

TEST(TimedInput, TheTimeColumnHoldsUtcAndStaysEmptyForPlainLines) {
    const CliRun r = run({"--time", "--header"}, timed("2026-12-07T16:05:00+02:00") + kSampleLine +
                                                     "\n" + timed("20261207T140612.25Z"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kTimedHeaderUtf8 + "\n2026-12-07T14:05:00Z;" + std::string(kSampleLineRow) +
                         "\n;" + kSampleLineRow + "\n2026-12-07T14:06:12.250Z;" +
                         std::string(kSampleLineRow) + "\n");
}

TEST(TimedInput, TheTimedTableFileIsByteForByteTheStoredOne) {
    QTemporaryDir dir;
    const QString table = dir.filePath("t.txt");
    const CliRun r = run({"--time", "--header", "-o", table},
                         timed("2026-12-07T14:05:00Z") + kSampleLine + "\r\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fileContent(table),
              fileContent(QString::fromUtf8(ORVINTA_TEST_DATA) + "/sample-table-timed.txt"));
}

TEST(TimedInput, TheTextGetsATimeLineBeforeTheTenLines) {
    const CliRun r = run({"--text", "--time"}, timed("2026-12-07T14:05:00Z") + kSampleLine);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string firstFrame = r.out.substr(0, r.out.find("\n\n") + 1);
    EXPECT_EQ(firstFrame.substr(0, 63), "Zeit (UTC):         2026-12-07T14:05:00Z\n"
                                        "E PROM Block:       6\n");
    EXPECT_EQ(std::count(firstFrame.begin(), firstFrame.end(), '\n'), 11);
    const std::string secondFrame = r.out.substr(r.out.find("\n\n") + 2);
    EXPECT_EQ(secondFrame.substr(0, 21), "Zeit (UTC):         \n");
    EXPECT_EQ(secondFrame.substr(21), firstFrame.substr(41));
}

TEST(TimedInput, ABadTimeIsReportedWithFileAndLineAndItsRowLeftOut) {
    QTemporaryDir dir;
    const QString log = dir.filePath("pass.log");
    std::ofstream(QFile::encodeName(log).toStdString(), std::ios::binary)
        << timed("2026-12-07T14:05:00Z") << timed("2026-13-07T14:05:00Z")
        << timed("2026-12-07T14:05:00") << timed("2026-12-07T14:07:00Z");
    const CliRun r = run({"--time", log}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2026-12-07T14:05:00Z;" + std::string(kSampleLineRow) +
                         "\n2026-12-07T14:07:00Z;" + std::string(kSampleLineRow) + "\n");
    const std::string name = log.toStdString();
    EXPECT_EQ(r.err, name +
                         ":2: ungültige Zeit \"2026-13-07T14:05:00Z\": das Datum gibt es nicht\n" +
                         name +
                         ":3: ungültige Zeit \"2026-12-07T14:05:00\": die Zeitzone fehlt "
                         "(Z oder ±hh:mm)\n");

    const CliRun withoutOption = run({log}, "");
    EXPECT_EQ(withoutOption.status, 1);
    EXPECT_EQ(withoutOption.err, r.err) << "a bad time is a fault with or without the column";
}

TEST(TimedInput, AnEmptyFrameAfterAGoodTimeIsReportedAsEmpty) {
    const CliRun r = run({"--time"}, "2026-12-07T14:05:00Z\t\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "-:1: Fehler 1: Eingabe fehlt\n");
}

TEST(TimedInput, ALongFrameKeepsItsTimeAndItsEnd) {
    const CliRun r =
        run({"--time"}, timed("2026-12-07T14:05:00Z", std::string(5000, 'x') + kSampleLine));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2026-12-07T14:05:00Z;" + std::string(kSampleLineRow) + "\n");
}

TEST(TimedInput, ExtendingATableKeepsItsColumns) {
    QTemporaryDir dir;
    const QString table = dir.filePath("t.txt");
    ASSERT_EQ(run({"--header", "-o", table}, kSampleLine).status, 0);
    const CliRun clash = run({"--time", "--append", "-o", table}, timed("2026-12-07T14:05:00Z"));
    EXPECT_EQ(clash.status, 2);
    EXPECT_EQ(clash.err, "orvinta-decode: " + table.toStdString() +
                             ": die Tabelle hat keine Spalte \"Zeit (UTC)\": ohne --time "
                             "verlängern\n");

    const QString timedTable = dir.filePath("timed.txt");
    ASSERT_EQ(run({"--time", "-o", timedTable}, timed("2026-12-07T14:05:00Z")).status, 0);
    EXPECT_EQ(run({"--append", "-o", timedTable}, kSampleLine).status, 2);
    EXPECT_EQ(run({"--time", "--append", "-o", timedTable}, kSampleLine).status, 0);
    EXPECT_EQ(fileContent(timedTable), "2026-12-07T14:05:00Z;" + std::string(kSampleLineRow) +
                                           "\r\n;" + std::string(kSampleLineRow) + "\r\n");
}

TEST(TimedInput, HelpNamesTheOption) {
    const CliRun help = run({"--help"}, "");
    EXPECT_NE(help.out.find("--time"), std::string::npos);
    EXPECT_NE(help.out.find("ZEIT<TAB>ZEILE"), std::string::npos);
}

struct SplitCase {
    std::string line;
    bool timed;
    std::string time;
    std::string telemetry;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.line.substr(0, 40);
}

class TimedLineSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(TimedLineSplit, TellsTimedFromPlainLines) {
    const SplitCase& c = GetParam();
    // As LineReader keeps them: the first 64 bytes and the last 256.
    const std::string head = c.line.substr(0, 64);
    const std::string tail = c.line.size() > 256 ? c.line.substr(c.line.size() - 256) : c.line;
    const SplitLine split = splitTimedLine(head, tail, c.line.size());
    EXPECT_EQ(split.timed, c.timed);
    EXPECT_EQ(split.time, c.time);
    EXPECT_EQ(split.telemetry, c.telemetry);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TimedLineSplit,
    testing::Values(SplitCase{"2026-12-07T14:05Z\t6O AVT", true, "2026-12-07T14:05Z", "6O AVT"},
                    SplitCase{"2026\t", true, "2026", ""},
                    SplitCase{"2026-bad\tE LUSAT\tHI", true, "2026-bad", "E LUSAT\tHI"},
                    SplitCase{"E LUSAT\tHI HI 6O", false, "", "E LUSAT\tHI HI 6O"},
                    SplitCase{"\t6O AVT", false, "", "\t6O AVT"},
                    SplitCase{"202\t6O AVT", false, "", "202\t6O AVT"},
                    SplitCase{"2026-12-07T14:05Z 6O AVT", false, "", "2026-12-07T14:05Z 6O AVT"},
                    SplitCase{"2026" + std::string(70, 'x') + "\t6O", false, "",
                              "2026" + std::string(70, 'x') + "\t6O"},
                    SplitCase{"2026-12-07T14:05Z\t" + std::string(300, 'y') + "6O", true,
                              "2026-12-07T14:05Z", std::string(254, 'y') + "6O"}),
    test::PrintedName());

} // namespace
} // namespace orvinta
