// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/historytable.h"
#include "historycharts.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace orvinta::history {

/// The size of a picture unless asked otherwise: the four charts one below the other,
/// each as wide as a page and a third as high.
inline constexpr QSize kPictureSize{1200, 1600};

enum class PictureFormat { Png, Svg };

/// The format that the ending of `path` names (".png", ".svg", in any case); nothing
/// for another ending.
std::optional<PictureFormat> pictureFormatOf(const QString& path);

/// The smallest chart whose labels, titles and legend are all written out in full:
/// below it Qt Charts cuts them to "..." (the test PlotCli.EveryLabelIsWrittenOut...
/// reads them back from the picture).
inline constexpr QSize kSmallestChart{400, 240};

/// How the charts of a picture stand: `columns` side by side, in as many rows as needed.
struct ChartGrid {
    int columns = 1;
    int rows = 1;

    friend bool operator==(const ChartGrid&, const ChartGrid&) = default;
};

/// The units a picture draws: those with a shown channel, all four when none is shown.
std::vector<Unit> drawnUnits(const PlotState& state);

/// The grid for `charts` charts in a picture of `size`: the one whose charts have the
/// most room measured against kSmallestChart (one column in a tall picture, two in a
/// landscape one).
ChartGrid chartGrid(QSize size, std::size_t charts);

/// The smallest picture in which `grid` keeps every chart at kSmallestChart.
QSize smallestPicture(ChartGrid grid);

/// Draws the charts of the units of drawnUnits(state) in chartGrid() into `target`.
void paintCharts(QPainter& painter, const QRectF& target, const HistoryTable& table,
                 const PlotState& state);

/// Writes the charts as a picture of `size` pixels to `path`, PNG or SVG by its ending.
/// The file is replaced only once complete. False, with the reason in German, when it
/// cannot be written.
bool writePicture(const QString& path, QSize size, const HistoryTable& table,
                  const PlotState& state, QString* error);

} // namespace orvinta::history
