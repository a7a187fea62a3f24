// SPDX-License-Identifier: GPL-3.0-or-later
#include "historycharts.h"

#include "axisticks.h"
#include "linepoints.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFont>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvinta::history {

namespace {

/// About one mark per 110 pixels: room for "12-07 14:05" and a gap.
constexpr int kPixelsPerTick = 110;
/// Fewer points than this in a line get a marker each, so single frames are seen.
constexpr int kMarkedPoints = 60;
/// A range of one instant or one line is widened by this much on each side.
constexpr double kTimeMarginMs = 1000.0;
constexpr double kRowMargin = 0.5;
/// Lines apart from the frame of the plot by this share of their spread.
constexpr double kValueMargin = 0.05;

// Eight colours that stay apart on white and for the common colour blindnesses
// (Okabe and Ito's palette, with black as the eighth).
const std::array<QColor, kChannelCount> kColours{
    QColor(0, 114, 178), QColor(213, 94, 0),   QColor(0, 158, 115), QColor(204, 121, 167),
    QColor(230, 159, 0), QColor(86, 180, 233), QColor(0, 0, 0),     QColor(160, 140, 0)};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont chartFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

/// The shown range, widened when it is a single point so that the axis has a length.
Range drawnRange(const HistoryTable& table, const PlotState& state) {
    Range range = state.range;
    if (range.to <= range.from) {
        const double margin = table.axis == AxisKind::Time ? kTimeMarginMs : kRowMargin;
        range = {range.from - margin, range.from + margin};
    }
    return range;
}

/// The lowest and highest value of the shown channels of `unit` in the range, with a
/// margin; 0 to 1 when there is none.
std::pair<double, double> valueSpan(Unit unit, const HistoryTable& table, const PlotState& state) {
    const auto figures = statistics(table, state.range);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (kChannels[k].unit != unit || !state.shown[k] || figures[k].values == 0)
            continue;
        low = std::min(low, figures[k].minimum);
        high = std::max(high, figures[k].maximum);
    }
    if (low > high)
        return {0.0, 1.0};
    const double margin =
        high > low ? (high - low) * kValueMargin : std::max(1.0, std::abs(high) * kValueMargin);
    // Values that are never negative keep the axis from reaching below zero.
    return {low >= 0.0 ? std::max(0.0, low - margin) : low - margin, high + margin};
}

QCategoryAxis* makeXAxis(const HistoryTable& table, Range range, int columns) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(chartFont(7.5));
    axis->setTitleFont(chartFont(8));
    const AxisTicks ticks = axisTicks(table.axis, range, std::max(2, columns / kPixelsPerTick));
    axis->setTitleText(QString::fromStdString(ticks.title));
    axis->setStartValue(range.from);
    for (const Tick& tick : ticks.ticks)
        axis->append(QString::fromStdString(tick.label), tick.value);
    axis->setRange(range.from, range.to);
    return axis;
}

QValueAxis* makeYAxis(Unit unit, std::pair<double, double> span) {
    auto* axis = new QValueAxis;
    axis->setLabelsFont(chartFont(7.5));
    axis->setTitleFont(chartFont(8));
    axis->setTitleText(fromUtf8(unitSymbol(unit)));
    axis->setRange(span.first, span.second);
    axis->applyNiceNumbers();
    return axis;
}

QLineSeries* makeLine(const HistoryTable& table, std::size_t channel, Range range, int columns) {
    auto* series = new QLineSeries;
    series->setName(channelCaption(channel));
    QPen pen(channelColour(channel));
    pen.setWidthF(1.5);
    series->setPen(pen);
    QList<QPointF> points;
    for (const PlotPoint& point : linePoints(table, channel, range, columns))
        points.append(QPointF(point.x, point.y));
    series->setPointsVisible(points.size() < kMarkedPoints);
    series->replace(points);
    return series;
}

} // namespace

PlotState fullView(const HistoryTable& table) {
    return PlotState{fullRange(table), {true, true, true, true, true, true, true, true}};
}

void drawUnitChart(QChart* chart, Unit unit, const HistoryTable& table, const PlotState& state,
                   int columns, Legend legend) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(
        QStringLiteral("%1 (%2)").arg(fromUtf8(unitTitle(unit)), fromUtf8(unitSymbol(unit))));
    chart->setTitleFont(chartFont(9, true));
    chart->legend()->setVisible(legend == Legend::Shown);
    chart->legend()->setFont(chartFont(7.5));
    chart->legend()->setAlignment(Qt::AlignBottom);

    const Range range = drawnRange(table, state);
    QCategoryAxis* xAxis = makeXAxis(table, range, columns);
    QValueAxis* yAxis = makeYAxis(unit, valueSpan(unit, table, state));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (kChannels[k].unit != unit || !state.shown[k])
            continue;
        QLineSeries* series = makeLine(table, k, range, columns);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
    }
}

QColor channelColour(std::size_t channel) {
    return kColours[channel];
}

QString unitCaption(Unit unit) {
    return fromUtf8(unitSymbol(unit));
}

QString channelCaption(std::size_t channel) {
    return QStringLiteral("%1 %2").arg(channel + 1).arg(fromUtf8(kChannels[channel].name));
}

} // namespace orvinta::history
