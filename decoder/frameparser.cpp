// SPDX-License-Identifier: GPL-3.0-or-later
#include "frameparser.h"

#include "numericreading.h"
#include "windows1252case.h"

#include <algorithm>
#include <array>

namespace orvinta {
namespace {

/// Blanks put in front of the line, so that every place the blank insertion looks at exists.
constexpr std::size_t kBlankPrefix = 38;
/// The blank insertion and the window only ever look at the last 32 characters of the
/// working line, which come from its last 34 before insertion; 64 leaves room to spare
/// and keeps decoding independent of the line's length.
constexpr std::size_t kWorkingTail = 64;
constexpr int kGroupLength = 3;

/// The cut-number letters of the beacon and their digits; no letter stands for 4 or 6.
constexpr char cutNumberDigit(char c) {
    switch (c) {
    case 'A':
        return '1';
    case 'U':
        return '2';
    case 'V':
        return '3';
    case 'E':
        return '5';
    case 'B':
        return '7';
    case 'D':
        return '8';
    case 'N':
        return '9';
    case 'T':
        return '0';
    default:
        return c;
    }
}

/// A function of one byte as a table of all 256 results, built by the compiler, so
/// that mapping letters of an arbitrary line costs no branches.
template <char (*Function)(char)> constexpr std::array<char, 256> byteTable() {
    std::array<char, 256> table{};
    for (std::size_t b = 0; b < table.size(); ++b) {
        table[b] = Function(static_cast<char>(b));
    }
    return table;
}

constexpr std::array<char, 256> kUpperCase = byteTable<toUpperWindows1252>();
constexpr std::array<char, 256> kCutNumberDigit = byteTable<cutNumberDigit>();

char lookUp(const std::array<char, 256>& table, char c) {
    return table[static_cast<unsigned char>(c)];
}

/// The working line: the last kWorkingTail characters of 38 blanks followed by the line.
struct WorkingLine {
    std::array<char, kWorkingTail + kChannelCount> chars{};
    std::size_t length = 0;

    explicit WorkingLine(std::string_view line) {
        const std::size_t kept = std::min(line.size(), kWorkingTail);
        const std::size_t blanks = std::min(kBlankPrefix, kWorkingTail - kept);
        std::fill_n(chars.begin(), blanks, ' ');
        std::copy(line.end() - static_cast<std::ptrdiff_t>(kept), line.end(),
                  chars.begin() + static_cast<std::ptrdiff_t>(blanks));
        length = blanks + kept;
    }

    /// Makes sure a blank stands just left of the last `count` characters.
    void enforceBlankBefore(std::size_t count) {
        const std::size_t at = length - count; // 0-based place of the first of those characters
        if (chars[at - 1] == ' ') {
            return;
        }
        std::copy_backward(chars.begin() + static_cast<std::ptrdiff_t>(at),
                           chars.begin() + static_cast<std::ptrdiff_t>(length),
                           chars.begin() + static_cast<std::ptrdiff_t>(length + 1));
        chars[at] = ' ';
        ++length;
    }

    std::string_view lastChars(std::size_t count) const {
        return std::string_view(chars.data() + length - count, count);
    }
};

} // namespace

bool parseFrame(std::string_view line, VarModul& record) {
    WorkingLine working(line);

    // Eight group separators, enforced from the right: before the last 3, 7, ..., 31 characters.
    for (std::size_t i = 3; i <= 31; i += 4) {
        working.enforceBlankBefore(i);
    }

    record.Eingabe.assign(working.lastChars(kFrameWindowLength));
    for (char& c : record.Eingabe) {
        c = lookUp(kUpperCase, c);
    }

    for (int k = 1; k <= kChannelCount; ++k) {
        // The group of channel k stands at positions 4k to 4k + 2 of the window (1-based).
        std::string& group = record.Gruppe(k);
        group.assign(record.Eingabe, static_cast<std::size_t>(4 * k - 1), kGroupLength);
        for (char& c : group) {
            c = lookUp(kCutNumberDigit, c);
            if (!isDigit(c)) {
                record.FehlerFlag(k) = 1;
            }
        }
        record.Wert(k) = record.FehlerFlag(k) == 0
                             ? static_cast<float>((group[0] - '0') * 100 + (group[1] - '0') * 10 +
                                                  (group[2] - '0'))
                             : static_cast<float>(numericReading(group));
    }

    record.Wert(0) =
        static_cast<float>(numericReading(std::string_view(record.Eingabe).substr(0, 1)));
    return record.Eingabe[1] == 'O';
}

} // namespace orvinta
