// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/frameparser.h"
#include "decoder/windows1252case.h"

#include "support/sampleline.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace orvinta {
namespace {

using test::kSampleLine;

struct ParseCase {
    const char* name;
    std::string line;
    std::string window;
    std::array<std::string, 8> groups;
    std::array<int, 8> flags;
    float block;
    bool statusOk;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

class ParseFrameTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseFrameTest, FillsTheRecord) {
    const ParseCase& c = GetParam();
    VarModul record;
    record.reset();
    const bool ok = parseFrame(c.line, record);

    EXPECT_EQ(record.Eingabe, c.window);
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        EXPECT_EQ(record.Gruppe(k), c.groups[i]) << "channel " << k;
        EXPECT_EQ(record.FehlerFlag(k), c.flags[i]) << "channel " << k;
    }
    EXPECT_EQ(record.Wert(0), c.block);
    EXPECT_EQ(ok, c.statusOk);
}

const std::array<std::string, 8> kSampleGroups{"130", "171", "124", "184",
                                               "114", "170", "002", "155"};
const std::array<int, 8> kNoFlags{};
const std::array<int, 8> kFirstFlagged{1, 0, 0, 0, 0, 0, 0, 0};

/// The sample's groups after a character `separator` stood before its second group in
/// place of the blank: channel 1 takes it in, the others stay.
std::array<std::string, 8> shiftedGroups(const char* separator) {
    return {std::string("30") + separator, "171", "124", "184", "114", "170", "002", "155"};
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseFrameTest,
    testing::Values(
        ParseCase{"Sample", kSampleLine, "6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", kSampleGroups,
                  kNoFlags, 6, true},
        ParseCase{"WithoutBlanks", "6OAVTABAAU4AD4AA4ABTTTUAEE",
                  "6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", kSampleGroups, kNoFlags, 6, true},
        ParseCase{"LowerCase", "e lusat hi hi 6o avt aba au4 ad4 aa4 abt ttu aee",
                  "6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", kSampleGroups, kNoFlags, 6, true},
        ParseCase{"ZeroForStatusLetter", "E LUSAT HI HI 60 AVT ABA AU4 AD4 AA4 ABT TTU AEE",
                  "60 AVT ABA AU4 AD4 AA4 ABT TTU AEE", kSampleGroups, kNoFlags, 6, false},
        ParseCase{"ShortLineAlignsRight",
                  "6O AVT",
                  std::string(28, ' ') + "6O AVT",
                  {"   ", "   ", "   ", "   ", "   ", "   ", " 6O", "130"},
                  {1, 1, 1, 1, 1, 1, 1, 0},
                  0,
                  false},
        ParseCase{"ThreeBlanks",
                  "   ",
                  std::string(34, ' '),
                  {"   ", "   ", "   ", "   ", "   ", "   ", "   ", "   "},
                  {1, 1, 1, 1, 1, 1, 1, 1},
                  0,
                  false},
        ParseCase{"TrailingBlankShiftsTheFrame",
                  "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE ",
                  "VT ABA AU4 AD4 AA4 ABT  TT U A EE ",
                  {"171", "124", "184", "114", "170", " 00", "2 1", "55 "},
                  {0, 0, 0, 0, 0, 1, 1, 1},
                  0,
                  false},
        ParseCase{"TwoBlanksAfterFirstGroup",
                  "E LUSAT HI HI 6O AVT  ABA AU4 AD4 AA4 ABT TTU AEE",
                  " A VT  ABA AU4 AD4 AA4 ABT TTU AEE",
                  {"30 ", "171", "124", "184", "114", "170", "002", "155"},
                  {1, 0, 0, 0, 0, 0, 0, 0},
                  0,
                  false},
        ParseCase{"ShortLastGroup",
                  "E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AE",
                  "6O AVT ABA AU4 AD4 AA4 ABT TTU  AE",
                  {"130", "171", "124", "184", "114", "170", "002", " 15"},
                  {0, 0, 0, 0, 0, 0, 0, 1},
                  6,
                  true},
        ParseCase{"LetterOutsideTheMap",
                  "6X AXT ABA AU4 AD4 AA4 ABT TTU AEE",
                  "6X AXT ABA AU4 AD4 AA4 ABT TTU AEE",
                  {"1X0", "171", "124", "184", "114", "170", "002", "155"},
                  {1, 0, 0, 0, 0, 0, 0, 0},
                  6,
                  false},
        // Every cut number, each letter against its digit; 4 and 6 have no letter.
        ParseCase{"EveryCutNumber",
                  "E LUSAT HI HI 6O AUV 4E6 BDN TAT NDB 6E4 VUA TTT",
                  "6O AUV 4E6 BDN TAT NDB 6E4 VUA TTT",
                  {"123", "456", "789", "010", "987", "654", "321", "000"},
                  kNoFlags,
                  6,
                  true},
        // Only the blank separates groups: another character before a group is part of the
        // group to its left, like a surplus character.
        ParseCase{"TabBeforeAGroup", "E LUSAT HI HI 6O AVT\tABA AU4 AD4 AA4 ABT TTU AEE",
                  " A VT\t ABA AU4 AD4 AA4 ABT TTU AEE", shiftedGroups("\t"), kFirstFlagged, 0,
                  false},
        ParseCase{"CarriageReturnBeforeAGroup", "E LUSAT HI HI 6O AVT\rABA AU4 AD4 AA4 ABT TTU AEE",
                  " A VT\r ABA AU4 AD4 AA4 ABT TTU AEE", shiftedGroups("\r"), kFirstFlagged, 0,
                  false},
        ParseCase{"LineFeedBeforeAGroup", "E LUSAT HI HI 6O AVT\nABA AU4 AD4 AA4 ABT TTU AEE",
                  " A VT\n ABA AU4 AD4 AA4 ABT TTU AEE", shiftedGroups("\n"), kFirstFlagged, 0,
                  false},
        // A Windows-1252 letter above 0x7F is upper-cased like any other ("\xE4" to "\xC4").
        ParseCase{"HighByteBeforeAGroup",
                  "E LUSAT HI HI 6O AVT\xE4"
                  "ABA AU4 AD4 AA4 ABT TTU AEE",
                  " A VT\xC4 ABA AU4 AD4 AA4 ABT TTU AEE", shiftedGroups("\xC4"), kFirstFlagged, 0,
                  false},
        ParseCase{"DigitsTypedAsDigits", "6O 130 171 124 184 114 170 002 155",
                  "6O 130 171 124 184 114 170 002 155", kSampleGroups, kNoFlags, 6, true},
        ParseCase{"LineEndsCountAsCharacters",
                  std::string(kSampleLine) + "\r\n",
                  "VT ABA AU4 AD4 AA4 ABT TTU  AE E\r\n",
                  {"171", "124", "184", "114", "170", "002", " 15", "5\r\n"},
                  {0, 0, 0, 0, 0, 0, 1, 1},
                  0,
                  false}),
    [](const testing::TestParamInfo<ParseCase>& param) { return std::string(param.param.name); });

TEST(ParseFrame, OnlyTheEndOfALongLineCounts) {
    VarModul shortRecord;
    VarModul longRecord;
    shortRecord.reset();
    longRecord.reset();
    const std::string noise(100000, 'x');
    EXPECT_EQ(parseFrame(kSampleLine, shortRecord), parseFrame(noise + kSampleLine, longRecord));
    EXPECT_EQ(shortRecord, longRecord);
}

TEST(ParseFrame, KeepsTheValueOfAFlaggedGroup) {
    VarModul record;
    record.reset();
    parseFrame("6O 1X0 ABA AU4 AD4 AA4 ABT TTU AEE", record);
    EXPECT_EQ(record.FehlerFlag(1), 1);
    EXPECT_EQ(record.Wert(1), 1.0F);
}

TEST(ParseFrame, BlockDigitIsNotMapped) {
    VarModul record;
    record.reset();
    EXPECT_TRUE(parseFrame("AO AVT ABA AU4 AD4 AA4 ABT TTU AEE", record));
    EXPECT_EQ(record.Wert(0), 0.0F);
}

struct CaseCase {
    unsigned char lower;
    unsigned char upper;
};

TEST(Windows1252Case, UpperCasesLettersOfTheCodePage) {
    const CaseCase cases[] = {{'a', 'A'},   {'z', 'Z'},   {'A', 'A'},   {'0', '0'},
                              {0xE4, 0xC4}, {0xF6, 0xD6}, {0xFC, 0xDC}, {0xE0, 0xC0},
                              {0xFE, 0xDE}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E},
                              {0xFF, 0x9F}, {0xF7, 0xF7}, {0xDF, 0xDF}, {0xB5, 0xB5}};
    for (const CaseCase& c : cases) {
        EXPECT_EQ(static_cast<unsigned char>(toUpperWindows1252(static_cast<char>(c.lower))),
                  c.upper)
            << "byte " << int(c.lower);
    }
}

} // namespace
} // namespace orvinta
