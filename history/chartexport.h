// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "historycharts.h"
#include "historytable.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

class QPainter;

namespace orvinta::history {

/// The size of a picture unless asked otherwise: the four charts one below the other,
/// each as wide as a page and a third as high.
inline constexpr QSize kPictureSize{1200, 1600};

enum class PictureFormat { Png, Svg };

/// The format that the ending of `path` names (".png", ".svg", in any case); nothing
/// for another ending.
std::optional<PictureFormat> pictureFormatOf(const QString& path);

/// Draws the four charts of `table` under `state` one below the other into `target`.
void paintCharts(QPainter& painter, const QRectF& target, const HistoryTable& table,
                 const PlotState& state);

/// Writes the charts as a picture of `size` pixels to `path`, PNG or SVG by its ending.
/// The file is replaced only once complete. False, with the reason in German, when it
/// cannot be written.
bool writePicture(const QString& path, QSize size, const HistoryTable& table,
                  const PlotState& state, QString* error);

} // namespace orvinta::history
