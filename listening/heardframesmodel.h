// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cw/cwdecoder.h"

#include <QAbstractTableModel>
#include <QDateTime>

#include <vector>

namespace orvinta::listening {

/// A frame in the list of frames heard.
struct ListedFrame {
    cw::HeardFrame heard;
    /// When the frame began, for live audio and for a recording whose start time is
    /// known; invalid otherwise, the frame's time then being heard.seconds into the
    /// recording.
    QDateTime utc;
};

/// The frames heard, in the order heard, as a table: time, telemetry line, SNR,
/// confidence and the number of characters left unread ("?"), which the confidence does
/// not count. Frames are only ever added; a new listening adds to the same list.
class HeardFramesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        TimeColumn,
        LineColumn,
        SnrColumn,
        ConfidenceColumn,
        UnreadableColumn,
        ColumnCount
    };

    explicit HeardFramesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void append(const std::vector<ListedFrame>& frames);

    const std::vector<ListedFrame>& frames() const { return m_frames; }
    /// The telemetry line of `row`.
    QString line(int row) const;

    /// The time as the list shows it: the UTC time of day when known ("14:05:07 UTC"),
    /// else seconds into the recording ("12.34 s").
    static QString timeText(const ListedFrame& frame);

private:
    QVariant displayText(const ListedFrame& frame, int column) const;

    std::vector<ListedFrame> m_frames;
};

} // namespace orvinta::listening
