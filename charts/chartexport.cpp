// SPDX-License-Identifier: GPL-3.0-or-later
#include "chartexport.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>

namespace orvinta::history {

namespace {

bool writePng(QSaveFile& file, QSize size, const HistoryTable& table, const PlotState& state,
              QString* error) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintCharts(painter, QRectF(QPointF(0, 0), QSizeF(size)), table, state);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        *error = writer.errorString();
        return false;
    }
    return true;
}

void writeSvg(QSaveFile& file, QSize size, const HistoryTable& table, const PlotState& state) {
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("LUSAT-OSCAR 19: Verlauf der Telemetrie"));
    generator.setDescription(QStringLiteral("Gezeichnet von Orvinta"));
    QPainter painter(&generator);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    paintCharts(painter, QRectF(QPointF(0, 0), QSizeF(size)), table, state);
}

} // namespace

std::optional<PictureFormat> pictureFormatOf(const QString& path) {
    if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return PictureFormat::Png;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return PictureFormat::Svg;
    return std::nullopt;
}

std::vector<Unit> drawnUnits(const PlotState& state) {
    std::vector<Unit> units;
    for (const Unit unit : kUnits) {
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            if (kChannels[k].unit == unit && state.shown[k]) {
                units.push_back(unit);
                break;
            }
        }
    }
    if (units.empty())
        units.assign(kUnits.begin(), kUnits.end());
    return units;
}

ChartGrid chartGrid(QSize size, std::size_t charts) {
    const int count = static_cast<int>(std::max<std::size_t>(charts, 1));
    ChartGrid best;
    double bestRoom = -1.0;
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const double room =
            std::min(size.width() / static_cast<double>(columns * kSmallestChart.width()),
                     size.height() / static_cast<double>(rows * kSmallestChart.height()));
        if (room > bestRoom) {
            bestRoom = room;
            best = {columns, rows};
        }
    }
    return best;
}

QSize smallestPicture(ChartGrid grid) {
    return {grid.columns * kSmallestChart.width(), grid.rows * kSmallestChart.height()};
}

void paintCharts(QPainter& painter, const QRectF& target, const HistoryTable& table,
                 const PlotState& state) {
    // The charts are laid out in a scene of their own, at the picture's size, and drawn
    // from there: the same charts as in the window, whatever the screen.
    QGraphicsScene scene;
    const std::vector<Unit> units = drawnUnits(state);
    const ChartGrid grid = chartGrid(target.size().toSize(), units.size());
    const QSizeF chartSize(target.width() / grid.columns, target.height() / grid.rows);
    for (std::size_t i = 0; i < units.size(); ++i) {
        auto* chart = new QChart;
        scene.addItem(chart);
        const auto column = static_cast<int>(i) % grid.columns;
        const auto row = static_cast<int>(i) / grid.columns;
        chart->setGeometry(
            QRectF(QPointF(chartSize.width() * column, chartSize.height() * row), chartSize));
        drawUnitChart(chart, units[i], table, state, static_cast<int>(chartSize.width()),
                      Legend::Shown);
        // Without an event loop nobody lays out the axes and labels: do it now.
        chart->layout()->activate();
    }
    const QRectF whole(QPointF(0, 0), target.size());
    scene.setSceneRect(whole);
    scene.render(&painter, target, whole);
}

bool writePicture(const QString& path, QSize size, const HistoryTable& table,
                  const PlotState& state, QString* error) {
    const std::optional<PictureFormat> format = pictureFormatOf(path);
    if (!format) {
        *error = QStringLiteral("die Endung ist weder .png noch .svg");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (*format == PictureFormat::Png) {
        if (!writePng(file, size, table, state, error)) {
            file.cancelWriting();
            return false;
        }
    } else {
        writeSvg(file, size, table, state);
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace orvinta::history
