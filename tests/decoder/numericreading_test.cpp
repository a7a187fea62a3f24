// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/numericreading.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <clocale>

namespace orvinta {
namespace {

struct ReadingCase {
    const char* text;
    double value;
};

void PrintTo(const ReadingCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class NumericReadingTest : public testing::TestWithParam<ReadingCase> {};

TEST_P(NumericReadingTest, ReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(numericReading(GetParam().text), GetParam().value)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, NumericReadingTest,
    testing::Values(ReadingCase{"130", 130}, ReadingCase{"002", 2}, ReadingCase{"000", 0},
                    ReadingCase{"", 0}, ReadingCase{"   ", 0}, ReadingCase{"X12", 0},
                    ReadingCase{"1X0", 1}, ReadingCase{"30 ", 30}, ReadingCase{" 15", 15},
                    ReadingCase{"2 1", 21}, ReadingCase{"1\t2\n3", 123}, ReadingCase{"1\r2", 1},
                    ReadingCase{"-12", -12}, ReadingCase{"+7", 7}, ReadingCase{"- 4", -4},
                    ReadingCase{"--4", 0}, ReadingCase{".5", 0.5}, ReadingCase{"1.5.3", 1.5},
                    ReadingCase{"1,5", 1}, ReadingCase{"12.", 12}, ReadingCase{".", 0},
                    ReadingCase{"1E3", 1000}, ReadingCase{"1e-2", 0.01}, ReadingCase{"2D2", 200},
                    ReadingCase{"1E", 1}, ReadingCase{"1E+", 1}, ReadingCase{"6O", 6}),
    test::PrintedName());

INSTANTIATE_TEST_SUITE_P(Radix, NumericReadingTest,
                         testing::Values(ReadingCase{"&HFF", 255}, ReadingCase{"&hff", 255},
                                         ReadingCase{"&H1G", 1}, ReadingCase{"&O17", 15},
                                         ReadingCase{"&o78", 7}, ReadingCase{"&H", 0},
                                         ReadingCase{"&X1", 0}, ReadingCase{"& H A", 10}),
                         test::PrintedName());

// Reading stops at the first digit the base cannot hold: the digits after it never
// count, and a digit one past the base is already one too many.
INSTANTIATE_TEST_SUITE_P(RadixStops, NumericReadingTest,
                         testing::Values(ReadingCase{"&H1G2", 1}, ReadingCase{"&HFG1", 15},
                                         ReadingCase{"&H12Z3", 18}, ReadingCase{"&O781", 7},
                                         ReadingCase{"&O19", 1}, ReadingCase{"&O8", 0},
                                         ReadingCase{"&O7.5", 7}, ReadingCase{"&H-1", 0}),
                         test::PrintedName());

TEST(NumericReading, IgnoresTheLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no German locale on this machine";
    }
    EXPECT_DOUBLE_EQ(numericReading("1.25"), 1.25);
    std::setlocale(LC_ALL, "C");
}

TEST(NumericReading, OutOfRangeExponentsGiveZeroOrInfinity) {
    EXPECT_EQ(numericReading("1E-999"), 0.0);
    EXPECT_GT(numericReading("1E999"), 1e308);
}

} // namespace
} // namespace orvinta
