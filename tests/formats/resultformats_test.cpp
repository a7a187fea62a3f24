// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/resultformats.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace orvinta {
namespace {

std::string readExpected(const char* name) {
    std::ifstream file(std::string(ORVINTA_TEST_DATA) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

DisplayTexts sampleTexts() {
    VarModul record;
    return displayTexts(*decode("E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT TTU AEE", record));
}

TEST(ResultFormats, ResultTextMatchesTheStoredFile) {
    std::string content;
    for (const std::string& line : resultTextLines(sampleTexts())) {
        content += line + "\r\n";
    }
    EXPECT_EQ(content, readExpected("sample-result.txt"));
}

TEST(ResultFormats, TableMatchesTheStoredFile) {
    const std::string content =
        std::string(tableHeader()) + "\r\n" + tableRow(sampleTexts()) + "\r\n";
    EXPECT_EQ(content, readExpected("sample-table.txt"));
}

TEST(ResultFormats, HeaderIs177Characters) {
    EXPECT_EQ(tableHeader().size(), 177U);
    EXPECT_NE(tableHeader().find("+5 V reguliet (V)"), std::string_view::npos);
    EXPECT_EQ(tableHeader().find("\xC2"), std::string_view::npos) << "must not be UTF-8";
}

TEST(ResultFormats, ValuesStartInColumn21) {
    const auto lines = resultTextLines(sampleTexts());
    EXPECT_EQ(lines[0].find('6'), 20U);
    EXPECT_EQ(lines[1].find("OK"), 20U);
    EXPECT_EQ(lines[2], "+5 V reguliert:     4.892308 V");
    EXPECT_EQ(lines[2].find('4'), 20U);
}

TEST(ResultFormats, UnitsFollowEveryTextEvenFehlerAndEmpty) {
    // The channels after the first are left empty.
    const DisplayTexts texts{"0", "FALSE", "FEHLER"};
    const auto lines = resultTextLines(texts);
    EXPECT_EQ(lines[1], "Status:             FALSE");
    EXPECT_EQ(lines[2], "+5 V reguliert:    FEHLER V");
    EXPECT_EQ(lines[4], "CW-TX-Temperatur:   \xB0"
                        "C");
    EXPECT_EQ(lines[8], "+Z Solarpennel:     V");
    EXPECT_EQ(tableRow(texts), "0;FALSE;FEHLER;;;;;;;");
}

TEST(ResultFormats, FlaggedSecondChannelRow) {
    VarModul record;
    const DisplayTexts texts = displayTexts(*decode("6X AVT AXA AU4 AD4 AA4 ABT TTU AEE", record));
    EXPECT_EQ(tableRow(texts),
              "6;FALSE; 4.892308;FEHLER; 3.7878; 947.282044887781; 7.832; 119; .3; 8.68");
}

} // namespace
} // namespace orvinta
