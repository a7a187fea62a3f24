// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/axisticks.h"

#include "support/testnames.h"
#include "tablesupport.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvinta::history {
namespace {

using test::at;

struct TickCase {
    const char* from;
    const char* to;
    int maxTicks;
    std::string title;
    std::vector<std::string> labels;
};

void PrintTo(const TickCase& c, std::ostream* out) {
    *out << c.from << " " << c.to << " " << c.maxTicks;
}

class TimeTicks : public testing::TestWithParam<TickCase> {};

TEST_P(TimeTicks, FallOnRoundTimesInUtc) {
    const TickCase& c = GetParam();
    const AxisTicks axis = axisTicks(AxisKind::Time, {at(c.from), at(c.to)}, c.maxTicks);
    EXPECT_EQ(axis.title, c.title);
    std::vector<std::string> labels;
    for (const Tick& tick : axis.ticks) {
        labels.push_back(tick.label);
        EXPECT_GE(tick.value, at(c.from));
        EXPECT_LE(tick.value, at(c.to));
    }
    EXPECT_EQ(labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(Ranges, TimeTicks,
                         testing::Values(TickCase{"2026-12-07T14:05:00Z",
                                                  "2026-12-07T14:19:35Z",
                                                  4,
                                                  "Zeit (UTC), 2026-12-07",
                                                  {"14:05", "14:10", "14:15"}},
                                         TickCase{"2026-12-07T14:05:07Z",
                                                  "2026-12-07T14:05:52Z",
                                                  3,
                                                  "Zeit (UTC), 2026-12-07",
                                                  {"14:05:15", "14:05:30", "14:05:45"}},
                                         TickCase{"2026-12-07T20:00:00Z",
                                                  "2026-12-08T07:00:00Z",
                                                  4,
                                                  "Zeit (UTC)",
                                                  {"12-07 21:00", "12-08 00:00", "12-08 03:00",
                                                   "12-08 06:00"}},
                                         TickCase{"2026-12-01T12:00:00Z",
                                                  "2026-12-04T12:00:00Z",
                                                  5,
                                                  "Zeit (UTC)",
                                                  {"2026-12-02", "2026-12-03", "2026-12-04"}},
                                         // A step of exactly one minute: hours and minutes.
                                         TickCase{"2026-12-07T14:05:00Z",
                                                  "2026-12-07T14:09:00Z",
                                                  4,
                                                  "Zeit (UTC), 2026-12-07",
                                                  {"14:05", "14:06", "14:07", "14:08", "14:09"}},
                                         // Just short of it: thirty seconds.
                                         TickCase{"2026-12-07T14:05:00Z",
                                                  "2026-12-07T14:06:30Z",
                                                  3,
                                                  "Zeit (UTC), 2026-12-07",
                                                  {"14:05:00", "14:05:30", "14:06:00", "14:06:30"}},
                                         // A range that starts where it ends.
                                         TickCase{"2026-12-07T14:05:00Z",
                                                  "2026-12-07T14:05:00Z",
                                                  4,
                                                  "Zeit (UTC), 2026-12-07",
                                                  {"14:05:00"}},
                                         // Given west of UTC with minutes, shown in UTC.
                                         TickCase{"2026-12-07T20:00:00-03:30",
                                                  "2026-12-07T20:59:00-03:30",
                                                  3,
                                                  "Zeit (UTC)",
                                                  {"12-07 23:30", "12-08 00:00"}}),
                         test::PrintedName());

TEST(RowTicks, FallOnOneTwoOrFiveTimesAPowerOfTen) {
    const auto labels = [](Range range, int maxTicks) {
        std::vector<std::string> texts;
        for (const Tick& tick : axisTicks(AxisKind::Row, range, maxTicks).ticks)
            texts.push_back(tick.label);
        return texts;
    };
    EXPECT_EQ(labels({2, 6}, 10), (std::vector<std::string>{"2", "3", "4", "5", "6"}));
    EXPECT_EQ(labels({1, 100'000}, 5),
              (std::vector<std::string>{"20000", "40000", "60000", "80000", "100000"}));
    EXPECT_EQ(labels({0.5, 1.5}, 4), std::vector<std::string>{"1"});
    EXPECT_EQ(axisTicks(AxisKind::Row, {1, 2}, 3).title, "Zeile");
}

} // namespace
} // namespace orvinta::history
