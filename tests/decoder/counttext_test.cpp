// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/counttext.h"

#include <gtest/gtest.h>

namespace orvinta {
namespace {

TEST(CountText, TakesTheSingularForExactlyOne) {
    const struct {
        long long count;
        const char* text;
    } cases[] = {{0, "0 Zeilen"},   {1, "1 Zeile"},    {2, "2 Zeilen"},          {-1, "-1 Zeilen"},
                 {11, "11 Zeilen"}, {21, "21 Zeilen"}, {100001, "100001 Zeilen"}};
    for (const auto& c : cases)
        EXPECT_EQ(countText(c.count, "Zeile", "Zeilen"), c.text) << c.count;
    EXPECT_EQ(countText(1, "Block", "Blöcke"), "1 Block");
    EXPECT_EQ(countText(3, "Block", "Blöcke"), "3 Blöcke");
}

} // namespace
} // namespace orvinta
