// SPDX-License-Identifier: GPL-3.0-or-later
#include "statisticstext.h"

#include <charconv>

namespace orvinta::history {

namespace {

/// More than the three to four digits the decoder's values carry in volts and degrees,
/// few enough to read at a glance.
constexpr int kSignificantDigits = 6;

constexpr const char* kNoValue = "–";

} // namespace

std::string valueText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::general, kSignificantDigits);
    return error == std::errc{} ? std::string(buffer, end) : std::string(kNoValue);
}

std::array<std::string, kStatisticsColumns> statisticsTexts(const ChannelStatistics& figures) {
    const bool any = figures.values > 0;
    return {std::to_string(figures.values), std::to_string(figures.fehler),
            any ? valueText(figures.minimum) : kNoValue,
            any ? valueText(figures.maximum) : kNoValue, any ? valueText(figures.mean) : kNoValue};
}

} // namespace orvinta::history
