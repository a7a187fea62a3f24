// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historytable.h"

#include <array>
#include <cstddef>
#include <utility>

namespace orvinta::history {

/// A closed range of x: times in milliseconds since 1970 or line numbers.
struct Range {
    double from = 0.0;
    double to = 0.0;

    friend bool operator==(const Range&, const Range&) = default;
};

/// The whole x range of `table`; from = to = 0 when it is empty.
Range fullRange(const HistoryTable& table);

/// The indices [first, last) of the rows of `table` whose x lies in `range`.
std::pair<std::size_t, std::size_t> rowsIn(const HistoryTable& table, Range range);

/// The figures of one channel over a range. FEHLER values take no part in minimum,
/// maximum and mean; they are counted.
struct ChannelStatistics {
    std::size_t values = 0; ///< rows with a value
    std::size_t fehler = 0; ///< rows with FEHLER
    double minimum = 0.0;   ///< meaningful only when values > 0
    double maximum = 0.0;
    double mean = 0.0;
};

/// The figures of every channel over the rows in `range`.
std::array<ChannelStatistics, kChannelCount> statistics(const HistoryTable& table, Range range);

} // namespace orvinta::history
