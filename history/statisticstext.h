// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historystats.h"

#include <array>
#include <string>

namespace orvinta::history {

/// The columns of the statistics table: count of values, count of FEHLER, minimum,
/// maximum, mean.
inline constexpr std::size_t kStatisticsColumns = 5;

/// A channel's figures as the statistics table shows them: counts as whole numbers,
/// values to six significant digits with a point ("4.89231", "947.282", "-1.5"),
/// "–" where a channel has no value in the range.
std::array<std::string, kStatisticsColumns> statisticsTexts(const ChannelStatistics& figures);

/// A value to six significant digits with a point, whatever the locale.
std::string valueText(double value);

} // namespace orvinta::history
