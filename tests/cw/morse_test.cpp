// SPDX-License-Identifier: GPL-3.0-or-later
#include "cw/model/morse.h"

#include "keyer/morsechart.h"
#include "tests/support/testnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::cw {
namespace {

std::string unitsText(const std::vector<bool>& units) {
    std::string text;
    for (const bool down : units) {
        text += down ? '#' : '_';
    }
    return text;
}

TEST(MorseTest, KnowsEveryCharacterAsTheChartHasIt) {
    // The test keyer's chart is written apart from the decoder's table: a digit keyed
    // wrong in the table would be read "right" by a keyer using that same table.
    for (const char c : std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
        EXPECT_EQ(morseCode(c), keyer::chartCode(c)) << c;
        EXPECT_EQ(morseCode(static_cast<char>(std::tolower(static_cast<unsigned char>(c)))),
                  keyer::chartCode(c))
            << c;
    }
}

TEST(MorseTest, UnknownCharactersHaveNoCode) {
    EXPECT_TRUE(morseCode('?').empty());
    EXPECT_TRUE(morseCode(' ').empty());
    EXPECT_EQ(characterKeying('?').length, 0);
}

struct KeyingCase {
    char character;
    std::vector<int> onUnits;
    std::vector<int> dots;
    std::vector<int> dashes;
    int length;
};

void PrintTo(const KeyingCase& c, std::ostream* os) {
    *os << c.character;
}

class CharacterKeyingTest : public ::testing::TestWithParam<KeyingCase> {};

TEST_P(CharacterKeyingTest, PlacesElementsWithOneUnitGaps) {
    const CharacterKeying keying = characterKeying(GetParam().character);
    EXPECT_EQ(keying.onUnits, GetParam().onUnits);
    EXPECT_EQ(keying.dots, GetParam().dots);
    EXPECT_EQ(keying.dashes, GetParam().dashes);
    EXPECT_EQ(keying.length, GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CharacterKeyingTest,
    ::testing::Values(
        KeyingCase{'E', {0}, {0}, {}, 1}, KeyingCase{'T', {0, 1, 2}, {}, {0}, 3},
        KeyingCase{'A', {0, 2, 3, 4}, {0}, {2}, 5}, KeyingCase{'N', {0, 1, 2, 4}, {4}, {0}, 5},
        KeyingCase{'5', {0, 2, 4, 6, 8}, {0, 2, 4, 6, 8}, {}, 9},
        KeyingCase{
            '0', {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18}, {}, {0, 4, 8, 12, 16}, 19}),
    test::PrintedName());

TEST(MorseTest, KeysCharactersThreeAndWordsSevenUnitsApart) {
    EXPECT_EQ(unitsText(keyUnits("EE")), "#___#");
    EXPECT_EQ(unitsText(keyUnits("E E")), "#_______#");
    EXPECT_EQ(unitsText(keyUnits("TA")), "###___#_###");
    EXPECT_EQ(unitsText(keyUnits("  E  ")), "#");
    EXPECT_EQ(unitsText(keyUnits("E?E")), "#___#");
}

TEST(MorseTest, KeysThePrefix) {
    // E, L, U, S, A, T, H, I, H, I: 34 units key down; 89 units in all.
    const std::vector<bool> units = keyUnits("E LUSAT HI HI");
    EXPECT_EQ(units.size(), 89U);
    EXPECT_EQ(std::count(units.begin(), units.end(), true), 34);
    EXPECT_EQ(unitsText(units).substr(0, 18), "#_______#_###_#_#_");
}

} // namespace
} // namespace orvinta::cw
