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

void paintCharts(QPainter& painter, const QRectF& target, const HistoryTable& table,
                 const PlotState& state) {
    // The charts are laid out in a scene of their own, at the picture's size, and drawn
    // from there: the same charts as in the window, whatever the screen.
    QGraphicsScene scene;
    const QSizeF chartSize(target.width(), target.height() / static_cast<double>(kUnitCount));
    for (std::size_t i = 0; i < kUnitCount; ++i) {
        auto* chart = new QChart;
        scene.addItem(chart);
        chart->setGeometry(
            QRectF(QPointF(0, chartSize.height() * static_cast<double>(i)), chartSize));
        drawUnitChart(chart, kUnits[i], table, state, static_cast<int>(chartSize.width()),
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
