// SPDX-License-Identifier: GPL-3.0-or-later
#include "timestamps/filenametime.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvinta {
namespace {

struct NameCase {
    const char* name;
    const char* utc; ///< empty when the name gives no time
    TimeError error;
    std::size_t position;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.name;
}

class FileNameTimes : public testing::TestWithParam<NameCase> {};

TEST_P(FileNameTimes, GiveTheStartTimeOrSayWhyNot) {
    const NameCase& c = GetParam();
    const TimeParse result = startTimeFromFileName(c.name);
    EXPECT_EQ(result.error, c.error) << timeErrorText(result.error);
    EXPECT_EQ(result.position, c.position);
    if (*c.utc != '\0') {
        ASSERT_TRUE(result);
        EXPECT_EQ(formatIsoTime(*result.time), c.utc);
    } else {
        EXPECT_FALSE(result);
    }
}

constexpr const char* kPass = "2026-12-07T14:05:00Z";

INSTANTIATE_TEST_SUITE_P(
    Recognised, FileNameTimes,
    testing::Values(
        NameCase{"satnogs_7512_2026-12-07T14-05-00.ogg", kPass, TimeError::None, 13},
        NameCase{"satnogs_7512_2026-12-07T14-05-00Z.ogg", kPass, TimeError::None, 13},
        NameCase{"pass_2026-12-07T14:05:00Z.wav", kPass, TimeError::None, 5},
        NameCase{"pass_2026-12-07T16:05:00+02:00.wav", kPass, TimeError::None, 5},
        NameCase{"pass_2026-12-07T10:35:00-03:30.wav", kPass, TimeError::None, 5},
        NameCase{"pass_2026-12-07T14:05:00.wav", kPass, TimeError::None, 5},
        NameCase{"pass_2026-12-07T14:05-rec.wav", kPass, TimeError::None, 5},
        NameCase{"gqrx_20261207_140500_145800000.wav", kPass, TimeError::None, 5},
        NameCase{"SDRSharp_20261207_140500Z_145800000Hz_AF.wav", kPass, TimeError::None, 9},
        NameCase{"rec_20261207T140500Z.flac", kPass, TimeError::None, 4},
        NameCase{"20261207_140500.wav", kPass, TimeError::None, 0},
        NameCase{"/data/2025-01-01T00-00-00/lo19_2026-12-07T14-05-00.ogg", kPass, TimeError::None,
                 5},
        NameCase{"both_20261207_140500_2026-12-07T14-05-00.wav", kPass, TimeError::None, 5}),
    test::PrintedName());

INSTANTIATE_TEST_SUITE_P(
    Refused, FileNameTimes,
    testing::Values(
        NameCase{"recording.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"pass_2026-12-07.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"/data/2026-12-07T14-05-00/recording.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"x_120261207_140500.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"x_20261207_1405001.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"x_2026-12-07T14-05.wav", "", TimeError::NoTimeInName, 0},
        NameCase{"satnogs_2026-13-07T14-05-00.ogg", "", TimeError::NoSuchDate, 8},
        NameCase{"x_20261207_246000.wav", "", TimeError::NoSuchTime, 2},
        NameCase{"a_20261207_140500_b_20261207_150000.wav", "", TimeError::SeveralInName, 20}),
    test::PrintedName());

} // namespace
} // namespace orvinta
