// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a table becomes the four charts that the history window shows and orvinta-plot
// writes:
//
//   HistoryTable + PlotState (the x range, the channels switched on)
//     -> drawUnitChart(): one QChart per unit (V, °C, mW, mA): a line per channel from
//                         lineSegments(), the x axis from axisTicks(), the y axis in the
//                         unit over the values shown
//     -> the window's chart views, or paintCharts() for PNG and SVG files

#include "history/channels.h"
#include "history/historystats.h"

#include <QColor>
#include <QString>

#include <array>

QT_BEGIN_NAMESPACE
class QChart;
QT_END_NAMESPACE

namespace orvinta::history {

/// What the charts show.
struct PlotState {
    Range range;
    std::array<bool, kChannelCount> shown{true, true, true, true, true, true, true, true};
};

/// The whole table with every channel.
PlotState fullView(const HistoryTable& table);

/// Stands in a chart's title when none of its shown channels has a value in the range.
inline const QString kNoValuesText = QStringLiteral("keine Werte");

/// Whether a chart has a legend: files need one, the window names its channels beside
/// the charts in their colours.
enum class Legend { Shown, Hidden };

/// Replaces what `chart` shows by the channels of `unit` in `table` under `state`,
/// drawn for a plot about `columns` pixels wide.
void drawUnitChart(QChart* chart, Unit unit, const HistoryTable& table, const PlotState& state,
                   int columns, Legend legend);

/// The colour of a channel's line, the same in the window and in files.
QColor channelColour(std::size_t channel);

/// "1 +5 V reguliert": the channel's number (1 to 8) and name.
QString channelCaption(std::size_t channel);

/// The unit's symbol as the charts write it: "V", "°C", "mW", "mA".
QString unitCaption(Unit unit);

} // namespace orvinta::history
