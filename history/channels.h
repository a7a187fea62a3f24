// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace orvinta::history {

/// The eight telemetry channels, numbered 1 to 8 in the frame; here 0 to 7.
inline constexpr std::size_t kChannelCount = 8;

/// The units of the channels; each gets a chart of its own.
enum class Unit { Volt, Celsius, Milliwatt, Milliampere };
inline constexpr std::size_t kUnitCount = 4;

struct ChannelInfo {
    std::string_view name; ///< as the output window captions it, UTF-8
    Unit unit;
};

inline constexpr std::array<ChannelInfo, kChannelCount> kChannels{{
    {"+5 V reguliert", Unit::Volt},
    {"+10 V Batterie", Unit::Volt},
    {"CW-TX-Temperatur", Unit::Celsius},
    {"CW-TX-Power-Out", Unit::Milliwatt},
    {"Temperatur Box 4", Unit::Celsius},
    {"+10 V Strom", Unit::Milliampere},
    {"+Z-Solarpanel", Unit::Volt},
    {"+8,5 V reguliert", Unit::Volt},
}};

inline constexpr std::array<Unit, kUnitCount> kUnits{Unit::Volt, Unit::Celsius, Unit::Milliwatt,
                                                     Unit::Milliampere};

/// The unit's symbol, UTF-8: "V", "°C", "mW", "mA".
std::string_view unitSymbol(Unit unit);
/// The chart's title: "Spannungen", "Temperaturen", "Sendeleistung", "Strom".
std::string_view unitTitle(Unit unit);

} // namespace orvinta::history
