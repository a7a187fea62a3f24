// SPDX-License-Identifier: GPL-3.0-or-later
#include "heardframesmodel.h"

#include <cmath>

namespace orvinta::listening {

HeardFramesModel::HeardFramesModel(QObject* parent)
    : QAbstractTableModel(parent) {
}

int HeardFramesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_frames.size());
}

int HeardFramesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString HeardFramesModel::timeText(const ListedFrame& frame) {
    if (frame.utc.isValid())
        return frame.utc.toUTC().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(" UTC");
    return QString::number(frame.heard.seconds, 'f', 2) + QStringLiteral(" s");
}

QVariant HeardFramesModel::displayText(const ListedFrame& frame, int column) const {
    switch (column) {
    case TimeColumn:
        return timeText(frame);
    case LineColumn:
        return QString::fromStdString(frame.heard.text);
    case SnrColumn:
        return QString::number(frame.heard.snrDb, 'f', 1) + QStringLiteral(" dB");
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
            return frame.utc.toUTC().toString(Qt::ISODate);
        if ((index.column() == LineColumn || index.column() == UnreadableColumn) &&
            frame.heard.unreadable > 0)
            return QStringLiteral("%1 unlesbare Zeichen").arg(frame.heard.unreadable);
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
        return QStringLiteral("Zeit");
    case LineColumn:
        return QStringLiteral("Telemetriezeile");
    case SnrColumn:
        return QStringLiteral("SNR");
    case ConfidenceColumn:
        return QStringLiteral("Sicherheit");
    case UnreadableColumn:
        return QStringLiteral("Unlesbar");
    default:
        return {};
    }
}

void HeardFramesModel::append(const std::vector<ListedFrame>& frames) {
    if (frames.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(frames.size()) - 1);
    m_frames.insert(m_frames.end(), frames.begin(), frames.end());
    endInsertRows();
}

QString HeardFramesModel::line(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return QString::fromStdString(m_frames[static_cast<std::size_t>(row)].heard.text);
}

} // namespace orvinta::listening
