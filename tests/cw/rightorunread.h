// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The check every test of a weak or cut signal makes of a line the decoder wrote: it may
// give up on a character ("?"), never write another in its place.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace orvinta::test {

/// Every character of `text` is the one `expected` holds in its place, or "?"; `context`
/// says where the line came from. Call through ASSERT_NO_FATAL_FAILURE where a line of
/// another length must end the test.
inline void expectRightOrUnread(const std::string& text, std::string_view expected,
                                const std::string& context = {}) {
    ASSERT_EQ(text.size(), expected.size()) << context << ": " << text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        EXPECT_TRUE(text[i] == '?' || text[i] == expected[i])
            << context << ": " << text << " for " << expected << ", '" << text[i] << "' at " << i;
    }
}

} // namespace orvinta::test
