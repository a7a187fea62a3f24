// SPDX-License-Identifier: GPL-3.0-or-later
// A frame as the Simple Downlink Share Convention wants it, byte for byte.
#include "submission/sidsfields.h"

#include "submissionsupport.h"
#include "support/sampleline.h"

#include <gtest/gtest.h>

namespace orvinta::submission {
namespace {

using test::kStation;
/// The sample line's bytes: "E LUSAT HI HI 6O AVT ..." in ASCII.
constexpr const char* kSampleHex = "45204C5553415420484920484920364F2041565420414241204155342041"
                                   "443420414134204142542054545520414545";

TEST(SidsFields, NameTheFrameItsTimeAndTheStationInTheConventionsOrder) {
    const std::vector<Field> fields =
        sidsFields(test::kSampleLine, test::utc("2026-12-07T14:05:01.480Z"), kStation, "6.1.0");
    const std::vector<Field> expected{
        {"noradID", "20442"},     {"source", "DL1ABC"},   {"timestamp", "2026-12-07T14:05:01.480Z"},
        {"frame", kSampleHex},    {"locator", "longLat"}, {"longitude", "11.5761E"},
        {"latitude", "48.1374N"}, {"version", "6.1.0"},
    };
    EXPECT_EQ(fields, expected);
    EXPECT_EQ(formEncoded(fields),
              std::string("noradID=20442&source=DL1ABC&timestamp=2026-12-07T14%3A05%3A01.480Z&"
                          "frame=") +
                  kSampleHex +
                  "&locator=longLat&longitude=11.5761E&latitude=48.1374N&version=6.1.0");
}

TEST(SidsFields, TimestampsAlwaysCarryMilliseconds) {
    EXPECT_EQ(sidsTimestamp(test::utc("2026-12-07T14:05:00Z")), "2026-12-07T14:05:00.000Z");
    EXPECT_EQ(sidsTimestamp(test::utc("2026-12-07T16:05:00.25+02:00")), "2026-12-07T14:05:00.250Z");
    EXPECT_EQ(sidsTimestamp(test::utc("1999-12-31T23:59:59.999Z")), "1999-12-31T23:59:59.999Z");
}

TEST(SidsFields, CoordinatesCarryTheirHemisphere) {
    EXPECT_EQ(longitudeText(11.5761), "11.5761E");
    EXPECT_EQ(longitudeText(-0.1278), "0.1278W");
    EXPECT_EQ(longitudeText(-180.0), "180.0000W");
    EXPECT_EQ(longitudeText(11.62500004), "11.6250E");
    // Rounds to no degrees at all: neither west nor "-0".
    EXPECT_EQ(longitudeText(-0.00001), "0.0000E");
    EXPECT_EQ(latitudeText(48.1374), "48.1374N");
    EXPECT_EQ(latitudeText(-33.8688), "33.8688S");
    EXPECT_EQ(latitudeText(90.0), "90.0000N");
}

TEST(SidsFields, FormEncodingKeepsOnlyLettersDigitsAndStarDashDotUnderscore) {
    EXPECT_EQ(formEncoded({{"source", "DL1ABC/P"}}), "source=DL1ABC%2FP");
    EXPECT_EQ(formEncoded({{"a b", "x~y*-._"}, {"c", "\xC3\xA4&="}}),
              "a+b=x%7Ey*-._&c=%C3%A4%26%3D");
    EXPECT_EQ(formEncoded({}), "");
}

TEST(SidsFields, HexIsUpperCaseTwoDigitsABytes) {
    EXPECT_EQ(hexBytes("E ?"), "45203F");
    EXPECT_EQ(hexBytes(std::string("\x00\xff\x0a", 3)), "00FF0A");
    EXPECT_EQ(hexBytes(""), "");
}

TEST(SidsFields, OnlySureFramesWithoutUnreadableCharactersGoOut) {
    EXPECT_TRUE(submittable(test::kSampleLine, 0.99));
    EXPECT_TRUE(submittable(test::kSampleLine, 1.0));
    EXPECT_FALSE(submittable(test::kSampleLine, 0.989));
    EXPECT_FALSE(submittable("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AE?", 1.0));
    EXPECT_TRUE(submittable(test::kSampleLine, 0.6, 0.5));
    EXPECT_FALSE(submittable(test::kSampleLine, 0.4, 0.5));
}

} // namespace
} // namespace orvinta::submission
