// SPDX-License-Identifier: GPL-3.0-or-later
#include "waterfallview.h"

#include "listenmessages.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orvinta::listening {
namespace {

/// Height of the frequency scale below the spectrum, in pixels of the font's height.
constexpr double kAxisLines = 1.4;
constexpr double kAxisStepHz = 500.0;
/// Moments of one followed tone further apart than this are not joined: the tone was lost
/// in between.
constexpr double kLongestToneStepSeconds = 1.0;
/// The frame marks stand this many pixels to the right of the tone.
constexpr double kMarkOffset = 8.0;
const QColor kMarkColour(255, 64, 255);
const QColor kToneColour(64, 255, 64);
/// Rows without audio: grey, unlike any level of the colour scale.
const QColor kSilenceColour(96, 96, 96);
/// A frame's number stands this far right of its bracket.
constexpr double kLabelOffset = 3.0;

bool silent(const WaterfallRow& row) {
    return row.levels.empty();
}

/// The colour scale of a waterfall: black (noise floor) over blue and red to yellow and
/// white (far above it), the way receivers show it.
std::vector<QRgb> colourScale() {
    struct Stop {
        double at;
        QColor colour;
    };
    const std::vector<Stop> stops{{0.0, QColor(0, 0, 0)},
                                  {0.25, QColor(0, 0, 160)},
                                  {0.5, QColor(200, 0, 40)},
                                  {0.75, QColor(255, 220, 0)},
                                  {1.0, QColor(255, 255, 255)}};
    std::vector<QRgb> colours(256);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const double at = static_cast<double>(i) / 255.0;
        std::size_t s = 1;
        while (s + 1 < stops.size() && stops[s].at < at)
            ++s;
        const Stop& low = stops[s - 1];
        const Stop& high = stops[s];
        const double t = (at - low.at) / (high.at - low.at);
        const auto mix = [t](int a, int b) {
            return static_cast<int>(std::lround(a + t * (b - a)));
        };
        colours[i] = qRgb(mix(low.colour.red(), high.colour.red()),
                          mix(low.colour.green(), high.colour.green()),
                          mix(low.colour.blue(), high.colour.blue()));
    }
    return colours;
}

} // namespace

WaterfallView::WaterfallView(QWidget* parent)
    : QWidget(parent)
    , m_colours(colourScale()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    rebuildImage();
}

void WaterfallView::clear() {
    m_rows.clear();
    m_marks.clear();
    m_tones.clear();
    m_secondsPerRow = 0.0;
    m_audioEnd = 0.0;
    rebuildImage();
    update();
}

void WaterfallView::addRows(const std::vector<WaterfallRow>& rows, double secondsPerRow) {
    if (rows.empty())
        return;
    m_secondsPerRow = secondsPerRow;
    for (const WaterfallRow& row : rows) {
        // Grey rows that went on past the moment the audio came back give way to it.
        while (!m_rows.empty() && silent(m_rows.front()) &&
               m_rows.front().seconds > row.seconds - m_secondsPerRow / 2.0)
            m_rows.pop_front();
        bridgeTo(row.seconds);
        pushRow(row);
        m_audioEnd = row.seconds + m_secondsPerRow;
    }
    dropHiddenTones();
    rebuildImage();
    update();
}

void WaterfallView::showSilence(double seconds) {
    if (m_rows.empty() || m_secondsPerRow <= 0.0)
        return;
    bridgeTo(m_audioEnd + seconds);
    rebuildImage();
    update();
}

void WaterfallView::bridgeTo(double seconds) {
    if (m_rows.empty())
        return;
    double next = m_rows.front().seconds + m_secondsPerRow;
    // Only the rows that stay in the view, however long the silence.
    next = std::max(next, seconds - kHistoryRows * m_secondsPerRow);
    // Rows from live audio start a little early or late; only a whole row missing is a
    // stretch without audio.
    for (; next + m_secondsPerRow / 2.0 <= seconds; next += m_secondsPerRow)
        pushRow({next, {}});
}

void WaterfallView::pushRow(WaterfallRow row) {
    m_rows.push_front(std::move(row));
    while (m_rows.size() > static_cast<std::size_t>(kHistoryRows))
        m_rows.pop_back();
}

int WaterfallView::silentRowCount() const {
    return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), silent));
}

void WaterfallView::markFrame(int number, double startSeconds, double endSeconds, double toneHz) {
    m_marks.push_back({number, startSeconds, endSeconds, toneHz});
    update();
}

void WaterfallView::addTones(const std::vector<cw::FollowedTone>& tones) {
    m_tones.insert(m_tones.end(), tones.begin(), tones.end());
    dropHiddenTones();
    update();
}

void WaterfallView::dropHiddenTones() {
    if (m_rows.empty())
        return;
    const double oldest = m_rows.back().seconds;
    while (!m_tones.empty() && m_tones.front().seconds < oldest)
        m_tones.pop_front();
}

void WaterfallView::rebuildImage() {
    m_image = QImage(Waterfall::kColumns, kHistoryRows, QImage::Format_RGB32);
    m_image.fill(m_colours.front());
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(static_cast<int>(r)));
        if (silent(m_rows[r]))
            std::fill(line, line + Waterfall::kColumns, kSilenceColour.rgb());
        const std::vector<std::uint8_t>& levels = m_rows[r].levels;
        for (std::size_t c = 0; c < levels.size() && c < Waterfall::kColumns; ++c)
            line[c] = m_colours[levels[c]];
    }
}

QRectF WaterfallView::spectrumArea() const {
    const double axis = kAxisLines * fontMetrics().height();
    return QRectF(0.0, 0.0, width(), std::max(1.0, height() - axis));
}

double WaterfallView::xOf(double hz) const {
    const QRectF area = spectrumArea();
    return area.left() + area.width() * (hz - Waterfall::kLowestHz) /
                             (Waterfall::kHighestHz - Waterfall::kLowestHz);
}

double WaterfallView::yOf(double seconds) const {
    // Row r covers [seconds(r), seconds(r) + secondsPerRow) and is drawn from the top
    // down; the newest row's end is the top edge.
    const QRectF area = spectrumArea();
    const double newestEnd = m_rows.front().seconds + m_secondsPerRow;
    const double rowHeight = area.height() / kHistoryRows;
    return area.top() + (newestEnd - seconds) / m_secondsPerRow * rowHeight;
}

void WaterfallView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawImage(spectrumArea(), m_image);
    paintAxis(painter);
    if (!m_rows.empty() && m_secondsPerRow > 0.0) {
        paintSilence(painter);
        paintTones(painter);
        paintMarks(painter);
    }
}

void WaterfallView::paintSilence(QPainter& painter) const {
    const QRectF area = spectrumArea();
    const double rowHeight = area.height() / kHistoryRows;
    painter.save();
    painter.setClipRect(area);
    painter.setPen(palette().color(QPalette::BrightText));
    // Each stretch of grey rows tall enough for it is named.
    for (std::size_t r = 0; r < m_rows.size();) {
        if (!silent(m_rows[r])) {
            ++r;
            continue;
        }
        const std::size_t first = r;
        while (r < m_rows.size() && silent(m_rows[r]))
            ++r;
        const QRectF stretch(area.left(), area.top() + static_cast<double>(first) * rowHeight,
                             area.width(), static_cast<double>(r - first) * rowHeight);
        if (stretch.height() >= fontMetrics().height())
            painter.drawText(stretch, Qt::AlignCenter, kSilenceText);
    }
    painter.restore();
}

std::vector<std::pair<int, QRectF>> WaterfallView::frameLabels() const {
    std::vector<std::pair<int, QRectF>> labels;
    if (m_rows.empty() || m_secondsPerRow <= 0.0)
        return labels;
    const QRectF area = spectrumArea();
    const QFontMetricsF metrics(font());
    // The newest frames first: where numbers would overlap, the newer one stands.
    // NOLINTNEXTLINE(modernize-loop-convert): clang-tidy 14 cannot parse a reverse_view
    for (auto mark = m_marks.rbegin(); mark != m_marks.rend(); ++mark) {
        const QString text = QString::number(mark->number);
        const double baseline = std::min(yOf(mark->startSeconds), area.bottom() - 2.0);
        const QRectF rect(xOf(mark->toneHz) + kMarkOffset + kLabelOffset,
                          baseline - metrics.ascent(), metrics.horizontalAdvance(text),
                          metrics.height());
        if (!rect.intersects(area))
            continue;
        const bool covers = std::any_of(labels.begin(), labels.end(), [&](const auto& label) {
            return label.second.intersects(rect);
        });
        if (!covers)
            labels.emplace_back(mark->number, rect);
    }
    return labels;
}

void WaterfallView::paintMarks(QPainter& painter) const {
    const QRectF area = spectrumArea();
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kMarkColour, 2.0));
    for (const Mark& mark : m_marks) {
        // A bracket beside the tone, so that the trace itself stays visible.
        const double tone = xOf(mark.toneHz);
        const double x = tone + kMarkOffset;
        const double top = yOf(mark.endSeconds);
        const double bottom = yOf(mark.startSeconds);
        painter.drawLine(QPointF(x, top), QPointF(x, bottom));
        painter.drawLine(QPointF(tone + 2.0, bottom), QPointF(x, bottom));
        painter.drawLine(QPointF(tone + 2.0, top), QPointF(x, top));
    }
    for (const auto& [number, rect] : frameLabels())
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignBottom, QString::number(number));
    painter.restore();
}

void WaterfallView::paintTones(QPainter& painter) const {
    painter.save();
    painter.setClipRect(spectrumArea());
    painter.setPen(QPen(kToneColour, 1.0, Qt::DotLine));
    // Each moment is joined to the last one of the same tone, when that is recent.
    std::vector<const cw::FollowedTone*> lastOfLine;
    for (const cw::FollowedTone& tone : m_tones) {
        const auto last = std::find_if(lastOfLine.begin(), lastOfLine.end(),
                                       [&](const cw::FollowedTone* t) { return t->id == tone.id; });
        if (last == lastOfLine.end()) {
            lastOfLine.push_back(&tone);
            continue;
        }
        if (tone.seconds - (*last)->seconds <= kLongestToneStepSeconds)
            painter.drawLine(QPointF(xOf((*last)->hz), yOf((*last)->seconds)),
                             QPointF(xOf(tone.hz), yOf(tone.seconds)));
        *last = &tone;
    }
    painter.restore();
}

void WaterfallView::paintAxis(QPainter& painter) const {
    const QRectF area = spectrumArea();
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = fontMetrics();
    for (double hz = kAxisStepHz; hz <= Waterfall::kHighestHz; hz += kAxisStepHz) {
        const double x = xOf(hz);
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3.0));
        const QString label = QString::number(hz, 'f', 0) + QStringLiteral(" Hz");
        const double half = metrics.horizontalAdvance(label) / 2.0;
        const double left = std::clamp(x - half, 0.0, width() - 2.0 * half);
        painter.drawText(QPointF(left, area.bottom() + 3.0 + metrics.ascent()), label);
    }
}

} // namespace orvinta::listening
