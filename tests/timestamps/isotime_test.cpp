// SPDX-License-Identifier: GPL-3.0-or-later
#include "timestamps/isotime.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvinta {
namespace {

using namespace std::chrono;

struct GoodTime {
    const char* text;
    const char* utc;
};

void PrintTo(const GoodTime& c, std::ostream* out) {
    *out << c.text;
}

class IsoTimeForms : public testing::TestWithParam<GoodTime> {};

TEST_P(IsoTimeForms, GiveTheInstantInUtc) {
    const TimeParse result = parseIsoTime(GetParam().text);
    ASSERT_TRUE(result) << timeErrorText(result.error) << " at " << result.position;
    EXPECT_EQ(result.error, TimeError::None);
    EXPECT_EQ(formatIsoTime(*result.time), GetParam().utc);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, IsoTimeForms,
    testing::Values(GoodTime{"2026-12-07T14:05:00Z", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T14:05Z", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T14:05:00.250Z", "2026-12-07T14:05:00.250Z"},
                    GoodTime{"2026-12-07T14:05:00,5Z", "2026-12-07T14:05:00.500Z"},
                    GoodTime{"2026-12-07T14:05:00.123987Z", "2026-12-07T14:05:00.123Z"},
                    GoodTime{"2026-12-07 14:05:00Z", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07t14:05:00z", "2026-12-07T14:05:00Z"},
                    GoodTime{"20261207T140500Z", "2026-12-07T14:05:00Z"},
                    GoodTime{"20261207T1405Z", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T16:05:00+02:00", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T16:05:00+0200", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T16:05+02", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T09:05:00-05:00", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-08T00:35:00+10:30", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T14:05:00-00:00", "2026-12-07T14:05:00Z"},
                    // West of UTC with minutes: both parts of the offset are added back.
                    GoodTime{"2026-12-07T10:35:00-03:30", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T10:35-0330", "2026-12-07T14:05:00Z"},
                    GoodTime{"20261207T103500-0330", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T13:35:00-00:30", "2026-12-07T14:05:00Z"},
                    GoodTime{"2026-12-07T22:35:00.250-03:30", "2026-12-08T02:05:00.250Z"},
                    GoodTime{"2026-12-31T21:00:00-03:30", "2027-01-01T00:30:00Z"},
                    GoodTime{"2026-12-07T23:30:00-01:00", "2026-12-08T00:30:00Z"},
                    GoodTime{"2027-01-01T00:30:00+01:00", "2026-12-31T23:30:00Z"},
                    GoodTime{"2024-02-29T12:00:00Z", "2024-02-29T12:00:00Z"}),
    test::PrintedName());

struct BadTime {
    const char* text;
    TimeError error;
    std::size_t position;
};

void PrintTo(const BadTime& c, std::ostream* out) {
    *out << c.text << " " << static_cast<int>(c.error);
}

class IsoTimeFaults : public testing::TestWithParam<BadTime> {};

TEST_P(IsoTimeFaults, AreReportedWithWhereTheyStart) {
    const TimeParse result = parseIsoTime(GetParam().text);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.time.has_value());
    EXPECT_EQ(result.error, GetParam().error) << timeErrorText(result.error);
    EXPECT_EQ(result.position, GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, IsoTimeFaults,
    testing::Values(BadTime{"", TimeError::Empty, 0},
                    BadTime{"2026-12-7T14:05Z", TimeError::BadDate, 8},
                    BadTime{"26-12-07T14:05Z", TimeError::BadDate, 0},
                    BadTime{"2026-13-07T14:05:00Z", TimeError::NoSuchDate, 0},
                    BadTime{"2026-02-29T14:05:00Z", TimeError::NoSuchDate, 0},
                    BadTime{"2026-12-00T14:05:00Z", TimeError::NoSuchDate, 0},
                    BadTime{"2026-12-07", TimeError::MissingTime, 10},
                    BadTime{"2026-12-07X14:05Z", TimeError::MissingTime, 10},
                    BadTime{"2026-12-07T14Z", TimeError::BadTime, 13},
                    BadTime{"2026-12-07T14:5:00Z", TimeError::BadTime, 14},
                    BadTime{"2026-12-07T24:00:00Z", TimeError::NoSuchTime, 11},
                    BadTime{"2026-12-07T14:60:00Z", TimeError::NoSuchTime, 11},
                    BadTime{"2026-12-07T23:59:60Z", TimeError::NoSuchTime, 11},
                    BadTime{"2026-12-07T14:05:00", TimeError::MissingZone, 19},
                    BadTime{"2026-12-07T14:05:00+2:00", TimeError::BadZone, 20},
                    BadTime{"2026-12-07T14:05:00+24:00", TimeError::BadZone, 25},
                    BadTime{"2026-12-07T14:05:00+02:60", TimeError::BadZone, 25},
                    BadTime{"2026-12-07T14:05:00 UTC", TimeError::BadZone, 19},
                    BadTime{"2026-12-07T14:05:00ZX", TimeError::TrailingText, 20},
                    BadTime{"2026-12-07T14:05:00+02:00:00", TimeError::TrailingText, 25}),
    test::PrintedName());

TEST(IsoTimeMessages, NameTheTextAndTheReasonInGerman) {
    const char* text = "2026-13-07T14:05Z";
    EXPECT_EQ(describeTimeError(text, parseIsoTime(text)),
              "ungültige Zeit \"2026-13-07T14:05Z\": das Datum gibt es nicht");
    EXPECT_EQ(describeTimeError("2026-12-07T14:05", parseIsoTime("2026-12-07T14:05")),
              "ungültige Zeit \"2026-12-07T14:05\": die Zeitzone fehlt (Z oder ±hh:mm)");
    for (int e = static_cast<int>(TimeError::Empty);
         e <= static_cast<int>(TimeError::SeveralInName); ++e) {
        EXPECT_FALSE(timeErrorText(static_cast<TimeError>(e)).empty()) << e;
    }
}

TEST(IsoTimeFormat, WritesUtcWithMillisecondsOnlyWhenThereAreAny) {
    const UtcTime pass = sys_days(2026y / December / 7) + 14h + 5min;
    EXPECT_EQ(formatIsoTime(pass), "2026-12-07T14:05:00Z");
    EXPECT_EQ(formatIsoTime(pass + 7ms), "2026-12-07T14:05:00.007Z");
    EXPECT_EQ(formatIsoTime(UtcTime{}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(formatIsoTime(pass - 14h - 5min - 1ms), "2026-12-06T23:59:59.999Z");
}

TEST(IsoTimeFormat, ReadsBackWhatItWrites) {
    for (const UtcTime time : {UtcTime{}, UtcTime{sys_days(2000y / February / 29) + 1ms},
                               UtcTime{sys_days(2099y / December / 31) + 86'399'999ms}}) {
        const TimeParse back = parseIsoTime(formatIsoTime(time));
        ASSERT_TRUE(back) << formatIsoTime(time);
        EXPECT_EQ(*back.time, time);
    }
}

TEST(IsoTimeOffset, AddsSecondsIntoARecordingToTheNearestMillisecond) {
    const UtcTime start = sys_days(2026y / December / 7) + 14h + 5min;
    EXPECT_EQ(formatIsoTime(timeAtOffset(start, 12.3456)), "2026-12-07T14:05:12.346Z");
    EXPECT_EQ(formatIsoTime(timeAtOffset(start, 0.0004)), "2026-12-07T14:05:00Z");
    EXPECT_EQ(formatIsoTime(timeAtOffset(start, 3600.25)), "2026-12-07T15:05:00.250Z");
}

} // namespace
} // namespace orvinta
