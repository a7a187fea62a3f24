// SPDX-License-Identifier: GPL-3.0-or-later
#include "historycharts.h"

#include "history/axisticks.h"
#include "history/linepoints.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFont>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace orvinta::history {

namespace {

/// About one mark per 110 pixels: room for "12-07 14:05" and a gap.
constexpr int kPixelsPerTick = 110;
/// Room beyond the first and the last point, in pixels: half a marker and the line's
/// width, so that neither is cut at the edge of the plot.
constexpr double kEdgeRoomPixels = 8.0;
constexpr double kLineWidth = 1.5;
/// A legend below the plot needs this width for the four channels in volts; a narrower
/// chart has its legend at the right, one channel below the other.
constexpr int kBottomLegendPixels = 480;
constexpr double kTitlePoints = 9.0;
constexpr double kAxisTitlePoints = 8.0;
constexpr double kLabelPoints = 7.5;
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

/// The drawn range with room for a marker on either side, so that the first and the
/// last point are seen whole.
Range withEdgeRoom(Range range, int columns) {
    const double room = (range.to - range.from) * kEdgeRoomPixels / std::max(columns, 1);
    return {range.from - room, range.to + room};
}

/// The lowest and highest value of the shown channels of `unit` in the range, with a
/// margin; nothing when there is none.
std::optional<std::pair<double, double>> valueSpan(Unit unit, const HistoryTable& table,
                                                   const PlotState& state) {
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
        return std::nullopt;
    const double margin =
        high > low ? (high - low) * kValueMargin : std::max(1.0, std::abs(high) * kValueMargin);
    // Values that are never negative keep the axis from reaching below zero.
    return std::pair{low >= 0.0 ? std::max(0.0, low - margin) : low - margin, high + margin};
}

QCategoryAxis* makeXAxis(const HistoryTable& table, Range range, int columns) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(chartFont(kLabelPoints));
    axis->setTitleFont(chartFont(kAxisTitlePoints));
    const AxisTicks ticks = axisTicks(table.axis, range, std::max(2, columns / kPixelsPerTick));
    axis->setTitleText(QString::fromStdString(ticks.title));
    const Range drawn = withEdgeRoom(range, columns);
    axis->setStartValue(drawn.from);
    for (const Tick& tick : ticks.ticks)
        axis->append(QString::fromStdString(tick.label), tick.value);
    axis->setRange(drawn.from, drawn.to);
    return axis;
}

/// The value axis over `span`; without values a hidden axis, since any scale would
/// be made up.
QValueAxis* makeYAxis(Unit unit, std::optional<std::pair<double, double>> span) {
    auto* axis = new QValueAxis;
    axis->setLabelsFont(chartFont(kLabelPoints));
    axis->setTitleFont(chartFont(kAxisTitlePoints));
    axis->setTitleText(fromUtf8(unitSymbol(unit)));
    if (!span) {
        axis->setVisible(false);
        return axis;
    }
    axis->setRange(span->first, span->second);
    axis->applyNiceNumbers();
    return axis;
}

/// The lines of one channel: one series per unbroken run, the first named for the
/// legend. A run of a single value is a point, so it keeps its marker.
std::vector<QLineSeries*> makeLines(const HistoryTable& table, std::size_t channel, Range range,
                                    int columns) {
    const std::vector<LineSegment> segments = lineSegments(table, channel, range, columns);
    std::size_t pointCount = 0;
    for (const LineSegment& segment : segments)
        pointCount += segment.size();
    QPen pen(channelColour(channel));
    pen.setWidthF(kLineWidth);
    std::vector<QLineSeries*> lines;
    for (const LineSegment& segment : segments) {
        auto* series = new QLineSeries;
        series->setName(channelCaption(channel));
        series->setPen(pen);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(segment.size()));
        for (const PlotPoint& point : segment)
            points.append(QPointF(point.x, point.y));
        series->setPointsVisible(pointCount < kMarkedPoints || segment.size() == 1);
        series->replace(points);
        lines.push_back(series);
    }
    return lines;
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
    const std::optional<std::pair<double, double>> span = valueSpan(unit, table, state);
    QString title =
        QStringLiteral("%1 (%2)").arg(fromUtf8(unitTitle(unit)), fromUtf8(unitSymbol(unit)));
    if (!span)
        title += QStringLiteral(": ") + kNoValuesText;
    chart->setTitle(title);
    chart->setTitleFont(chartFont(kTitlePoints, true));
    chart->legend()->setVisible(legend == Legend::Shown);
    chart->legend()->setFont(chartFont(kLabelPoints));
    chart->legend()->setAlignment(columns >= kBottomLegendPixels ? Qt::AlignBottom
                                                                 : Qt::AlignRight);

    const Range range = drawnRange(table, state);
    QCategoryAxis* xAxis = makeXAxis(table, range, columns);
    QValueAxis* yAxis = makeYAxis(unit, span);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        if (kChannels[k].unit != unit || !state.shown[k])
            continue;
        bool named = false;
        for (QLineSeries* series : makeLines(table, k, range, columns)) {
            chart->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
            // The legend names each channel once, whatever the breaks in its line.
            if (named) {
                for (QLegendMarker* marker : chart->legend()->markers(series))
                    marker->setVisible(false);
            }
            named = true;
        }
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
