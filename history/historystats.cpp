// SPDX-License-Identifier: GPL-3.0-or-later
#include "historystats.h"

#include <algorithm>
#include <cmath>

namespace orvinta::history {

Range fullRange(const HistoryTable& table) {
    if (table.x.empty())
        return {};
    return {table.x.front(), table.x.back()};
}

std::pair<std::size_t, std::size_t> rowsIn(const HistoryTable& table, Range range) {
    const auto first = std::lower_bound(table.x.begin(), table.x.end(), range.from);
    const auto last = std::upper_bound(first, table.x.end(), range.to);
    return {static_cast<std::size_t>(first - table.x.begin()),
            static_cast<std::size_t>(last - table.x.begin())};
}

std::array<ChannelStatistics, kChannelCount> statistics(const HistoryTable& table, Range range) {
    const auto [first, last] = rowsIn(table, range);
    std::array<ChannelStatistics, kChannelCount> figures{};
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        ChannelStatistics& channel = figures[k];
        double sum = 0.0;
        for (std::size_t i = first; i < last; ++i) {
            const double value = table.values[k][i];
            if (std::isnan(value)) {
                ++channel.fehler;
                continue;
            }
            channel.minimum = channel.values == 0 ? value : std::min(channel.minimum, value);
            channel.maximum = channel.values == 0 ? value : std::max(channel.maximum, value);
            sum += value;
            ++channel.values;
        }
        if (channel.values > 0)
            channel.mean = sum / static_cast<double>(channel.values);
    }
    return figures;
}

} // namespace orvinta::history
