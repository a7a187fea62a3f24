// SPDX-License-Identifier: GPL-3.0-or-later
#include "heardframesmodel.h"

#include "listenmessages.h"

#include <algorithm>
#include <cmath>

namespace orvinta::listening {

namespace {

/// Beyond this the estimate measures the recording's own floor (quantisation and
/// rounding of noise-free audio), not the channel: a pass never comes near it.
constexpr double kMeasurableSnrDb = 60.0;
constexpr qint64 kMsPerSecond = 1000;

/// `utc` rounded to the whole second, as the list shows it.
QDateTime toWholeSecond(const QDateTime& utc) {
    const qint64 ms = utc.toMSecsSinceEpoch();
    const qint64 half = kMsPerSecond / 2;
    const qint64 seconds = (ms + half) / kMsPerSecond - ((ms + half) % kMsPerSecond < 0 ? 1 : 0);
    return QDateTime::fromMSecsSinceEpoch(seconds * kMsPerSecond, Qt::UTC);
}

} // namespace

HeardFramesModel::HeardFramesModel(QObject* parent, Today today)
    : QAbstractTableModel(parent)
    , m_today(std::move(today)) {
}

QDate HeardFramesModel::currentDayUtc() {
    return QDateTime::currentDateTimeUtc().date();
}

bool HeardFramesModel::showsDates() const {
    return m_firstDay.isValid() && (m_firstDay != m_lastDay || m_firstDay != m_today());
}

QString HeardFramesModel::snrText(double snrDb) {
    if (snrDb > kMeasurableSnrDb)
        return QStringLiteral("> %1 dB").arg(kMeasurableSnrDb, 0, 'f', 0);
    return QString::number(snrDb, 'f', 1) + QStringLiteral(" dB");
}

int HeardFramesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_frames.size());
}

int HeardFramesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString HeardFramesModel::timeText(const ListedFrame& frame) const {
    if (!frame.utc.isValid())
        return QString::number(frame.heard.seconds, 'f', 2) + QStringLiteral(" s");
    return toWholeSecond(frame.utc).toString(showsDates() ? QStringLiteral("MM-dd HH:mm:ss")
                                                          : QStringLiteral("HH:mm:ss"));
}

QVariant HeardFramesModel::displayText(const ListedFrame& frame, int column) const {
    switch (column) {
    case TimeColumn:
        return timeText(frame);
    case LineColumn:
        return QString::fromStdString(frame.heard.text);
    case SnrColumn:
        return snrText(frame.heard.snrDb);
    case ConfidenceColumn:
        return QString::number(std::lround(100.0 * frame.heard.confidence)) + QStringLiteral(" %");
    case UnreadableColumn:
        return QString::number(frame.heard.unreadable);
    default:
        return {};
    }
}

QVariant HeardFramesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ListedFrame& frame = m_frames[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(frame, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == LineColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                            : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (index.column() == TimeColumn && frame.utc.isValid())
            return frame.utc.toUTC().toString(Qt::ISODateWithMs);
        if ((index.column() == LineColumn || index.column() == UnreadableColumn) &&
            frame.heard.unreadable > 0) {
            return unreadableText(static_cast<long long>(frame.heard.unreadable));
        }
        return {};
    default:
        return {};
    }
}

QVariant HeardFramesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        // The cells of known times are UTC; seconds into a recording carry their "s".
        return m_firstDay.isValid() ? kUtcTimeHeader : kTimeHeader;
    case LineColumn:
        return kLineHeader;
    case SnrColumn:
        return kSnrHeader;
    case ConfidenceColumn:
        return kConfidenceHeader;
    case UnreadableColumn:
        return kUnreadableHeader;
    default:
        return {};
    }
}

void HeardFramesModel::append(const std::vector<ListedFrame>& frames) {
    if (frames.empty())
        return;
    const int first = rowCount();
    const bool datesBefore = showsDates();
    const bool timedBefore = m_firstDay.isValid();
    beginInsertRows({}, first, first + static_cast<int>(frames.size()) - 1);
    m_frames.insert(m_frames.end(), frames.begin(), frames.end());
    for (const ListedFrame& frame : frames) {
        if (!frame.utc.isValid())
            continue;
        const QDate day = toWholeSecond(frame.utc).date();
        m_firstDay = m_firstDay.isValid() ? std::min(m_firstDay, day) : day;
        m_lastDay = m_lastDay.isValid() ? std::max(m_lastDay, day) : day;
    }
    endInsertRows();
    // A frame of another day changes how every time in the list is written.
    if (showsDates() != datesBefore && first > 0)
        emit dataChanged(index(0, TimeColumn), index(first - 1, TimeColumn));
    if (m_firstDay.isValid() != timedBefore)
        emit headerDataChanged(Qt::Horizontal, TimeColumn, TimeColumn);
}

QString HeardFramesModel::line(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return QString::fromStdString(m_frames[static_cast<std::size_t>(row)].heard.text);
}

} // namespace orvinta::listening
