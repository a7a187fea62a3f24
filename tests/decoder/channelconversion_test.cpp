// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/channelconversion.h"
#include "decoder/numbertext.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <clocale>

namespace orvinta {
namespace {

struct ChannelCase {
    int channel;
    int raw;
    const char* text;
};

void PrintTo(const ChannelCase& c, std::ostream* os) {
    *os << "channel " << c.channel << ", X = " << c.raw;
}

class ChannelTextTest : public testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelTextTest, GivesTheExactText) {
    const ChannelCase& c = GetParam();
    EXPECT_EQ(channelText(c.channel, c.raw), c.text)
        << "channel " << c.channel << ", X = " << c.raw;
}

INSTANTIATE_TEST_SUITE_P(SampleFrame, ChannelTextTest,
                         testing::Values(ChannelCase{1, 130, " 4.892308"},
                                         ChannelCase{2, 171, " 10.944"},
                                         ChannelCase{3, 124, " 3.7878"},
                                         ChannelCase{4, 184, " 947.282044887781"},
                                         ChannelCase{5, 114, " 7.832"}, ChannelCase{6, 170, " 119"},
                                         ChannelCase{7, 2, " .3"}, ChannelCase{8, 155, " 8.68"}),
                         test::PrintedName());

INSTANTIATE_TEST_SUITE_P(
    Limits, ChannelTextTest,
    testing::Values(
        // Channel 1 keeps seven significant digits of a single-precision quotient.
        ChannelCase{1, 1, " 636"}, ChannelCase{1, 100, " 6.36"}, ChannelCase{1, 999, " .6366366"},
        // The double nearest to 134.7 shows in the fifteenth digit.
        ChannelCase{3, 134, " .247799999999996"}, ChannelCase{3, 135, "-.106200000000004"},
        ChannelCase{3, 999, "-305.9622"}, ChannelCase{4, 0, " 2.96284289276808"},
        ChannelCase{4, 999, " 25433.8655860349"},
        // Zero has the leading blank and no point.
        ChannelCase{5, 136, " 0"}, ChannelCase{5, 135, " .356"}, ChannelCase{5, 999, "-307.228"},
        ChannelCase{8, 1, " .056"}, ChannelCase{2, 0, " 0"}, ChannelCase{6, 999, " 699.3"},
        ChannelCase{7, 999, " 149.85"}),
    test::PrintedName());

TEST(ChannelText, ChannelOneAtZeroHasNoValue) {
    EXPECT_EQ(channelText(1, 0), "FEHLER");
}

struct NumberCase {
    double value;
    const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.value;
}

class DoubleTextTest : public testing::TestWithParam<NumberCase> {};

TEST_P(DoubleTextTest, FormatsWithFifteenDigits) {
    EXPECT_EQ(numberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Layout, DoubleTextTest,
                         testing::Values(NumberCase{0.0, " 0"}, NumberCase{-0.0, " 0"},
                                         NumberCase{1.0, " 1"}, NumberCase{-1.0, "-1"},
                                         NumberCase{0.3, " .3"}, NumberCase{-0.3, "-.3"},
                                         NumberCase{0.001, " .001"}, NumberCase{100.0, " 100"},
                                         NumberCase{1234567.5, " 1234567.5"},
                                         NumberCase{1.0 / 3.0, " .333333333333333"},
                                         NumberCase{2.0 / 3.0, " .666666666666667"},
                                         NumberCase{123456789012345678.0, " 123456789012346000"}),
                         test::PrintedName());

TEST(NumberText, SinglePrecisionRoundsToSevenDigits) {
    EXPECT_EQ(numberText(1.0F / 3.0F), " .3333333");
    EXPECT_EQ(numberText(-2.0F / 3.0F), "-.6666667");
    EXPECT_EQ(numberText(636.0F), " 636");
    EXPECT_EQ(numberText(0.0F), " 0");
}

TEST(NumberText, IgnoresTheLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    EXPECT_EQ(numberText(10.944), " 10.944");
    EXPECT_EQ(numberText(4.892308F), " 4.892308");
    std::setlocale(LC_ALL, "C");
}

} // namespace
} // namespace orvinta
