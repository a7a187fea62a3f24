// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Readable, stable names for the cases of parameterized suites: `ctest -R` selects them,
// and a name does not change from one run to the next.

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace orvinta::test {

/// `text` as a GoogleTest name: letters and digits stay, every run of other characters
/// becomes one "_".
inline std::string nameFromText(const std::string& text) {
    std::string name;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0 &&
            static_cast<unsigned char>(c) < 0x80)
            name += c;
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name.empty() ? std::string("empty") : name;
}

/// Name generator for INSTANTIATE_TEST_SUITE_P: the case's index, then the case as its
/// PrintTo prints it. The index keeps two cases apart that print alike once the
/// punctuation is gone ("a.tlm" and "a.tlm ").
struct PrintedName {
    template <typename Param>
    std::string operator()(const testing::TestParamInfo<Param>& info) const {
        return std::to_string(info.index) + "_" + nameFromText(testing::PrintToString(info.param));
    }
};

} // namespace orvinta::test
