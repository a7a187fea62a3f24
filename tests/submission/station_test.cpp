// SPDX-License-Identifier: GPL-3.0-or-later
// The station as the operator types it: callsigns, Maidenhead locators to the centre of
// their cell, and positions in decimal degrees.
#include "submission/station.h"

#include "support/testnames.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvinta::submission {
namespace {

constexpr double kDegreeTolerance = 1e-9;

struct CallsignCase {
    const char* name;
    const char* text;
    const char* normalized; ///< nullptr: refused
};

void PrintTo(const CallsignCase& c, std::ostream* os) {
    *os << c.name;
}

class Callsigns : public testing::TestWithParam<CallsignCase> {};

TEST_P(Callsigns, AreUpperCasedOrRefused) {
    const std::optional<std::string> normalized = normalizedCallsign(GetParam().text);
    if (GetParam().normalized == nullptr)
        EXPECT_FALSE(normalized.has_value()) << *normalized;
    else
        EXPECT_EQ(normalized.value_or("(refused)"), GetParam().normalized);
}

INSTANTIATE_TEST_SUITE_P(
    Station, Callsigns,
    testing::Values(
        CallsignCase{"lower_case", "dl1abc", "DL1ABC"},
        CallsignCase{"portable_with_blanks", " DL1ABC/P ", "DL1ABC/P"},
        CallsignCase{"three_characters", "K1A", "K1A"},
        CallsignCase{"twenty_characters", "VP2E/DL1ABC/MM/12345", "VP2E/DL1ABC/MM/12345"},
        CallsignCase{"twenty_one_characters", "VP2E/DL1ABC/MM/123456", nullptr},
        CallsignCase{"two_characters", "K1", nullptr}, CallsignCase{"no_digit", "DLABC", nullptr},
        CallsignCase{"no_letter", "1234", nullptr}, CallsignCase{"inner_blank", "DL1 ABC", nullptr},
        CallsignCase{"umlaut",
                     "DL1\xC3\x84"
                     "BC",
                     nullptr},
        CallsignCase{"dash", "DL1-ABC", nullptr}, CallsignCase{"empty", "", nullptr}),
    test::PrintedName());

struct LocatorCase {
    const char* name;
    const char* locator;
    bool valid;
    double latitude;
    double longitude;
};

void PrintTo(const LocatorCase& c, std::ostream* os) {
    *os << c.name;
}

class Locators : public testing::TestWithParam<LocatorCase> {};

TEST_P(Locators, GiveTheCentreOfTheirCell) {
    const std::optional<Position> position = positionFromLocator(GetParam().locator);
    ASSERT_EQ(position.has_value(), GetParam().valid);
    if (!position)
        return;
    EXPECT_NEAR(position->latitude, GetParam().latitude, kDegreeTolerance);
    EXPECT_NEAR(position->longitude, GetParam().longitude, kDegreeTolerance);
}

// Cells: field 20 x 10 degrees, square 2 x 1, subsquare 5 x 2.5 minutes, extended square
// 30 x 15 seconds.
INSTANTIATE_TEST_SUITE_P(
    Station, Locators,
    testing::Values(
        LocatorCase{"subsquare", "JN58TD", true, 48.0 + 3.5 / 24.0, 11.625},
        LocatorCase{"subsquare_lower_case", "jn58td", true, 48.0 + 3.5 / 24.0, 11.625},
        LocatorCase{"square", "JN58", true, 48.5, 11.0},
        LocatorCase{"field", "JN", true, 45.0, 10.0},
        LocatorCase{"extended_square", "JN58TD12", true, 48.125 + 2.5 / 240.0,
                    11.5833333333333333 + 1.5 / 120.0},
        LocatorCase{"west_and_north", "FN31pr", true, 41.0 + 17.5 / 24.0, -74.0 + 15.5 / 12.0},
        LocatorCase{"south_west_corner", "AA00AA", true, -90.0 + 0.5 / 24.0, -180.0 + 0.5 / 12.0},
        LocatorCase{"north_east_corner", "RR99XX", true, 90.0 - 0.5 / 24.0, 180.0 - 0.5 / 12.0},
        LocatorCase{"empty", "", false, 0, 0}, LocatorCase{"odd_length", "JN5", false, 0, 0},
        LocatorCase{"field_beyond_R", "SN58", false, 0, 0},
        LocatorCase{"digit_for_letter", "JNA8", false, 0, 0},
        LocatorCase{"subsquare_beyond_X", "JN58YD", false, 0, 0},
        LocatorCase{"letter_in_extended", "JN58TD1A", false, 0, 0},
        LocatorCase{"too_long", "JN58TD12AB", false, 0, 0}),
    test::PrintedName());

TEST(Positions, AreReadAsLatitudeCommaLongitude) {
    const std::optional<Position> munich = parsePosition("48.1374,11.5761");
    ASSERT_TRUE(munich);
    EXPECT_DOUBLE_EQ(munich->latitude, 48.1374);
    EXPECT_DOUBLE_EQ(munich->longitude, 11.5761);
    const std::optional<Position> sydney = parsePosition(" -33.8688 , +151.2093 ");
    ASSERT_TRUE(sydney);
    EXPECT_DOUBLE_EQ(sydney->latitude, -33.8688);
    EXPECT_DOUBLE_EQ(sydney->longitude, 151.2093);
    for (const char* wrong :
         {"48.1374", "91,0", "0,180.5", "48,1374,11", "N48,E11", "1e1,2", ",", "48.1374;11.5761"})
        EXPECT_FALSE(parsePosition(wrong)) << wrong;
}

TEST(Positions, BoxesTakeAPointOrAComma) {
    EXPECT_EQ(parseDegrees("48.1374"), 48.1374);
    EXPECT_EQ(parseDegrees("48,1374"), 48.1374);
    EXPECT_EQ(parseDegrees(" -0.5 "), -0.5);
    for (const char* wrong : {"", " ", "48.1.2", "48°", "abc"})
        EXPECT_FALSE(parseDegrees(wrong)) << wrong;
}

} // namespace
} // namespace orvinta::submission
