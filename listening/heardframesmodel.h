// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cw/cwdecoder.h"

#include <QAbstractTableModel>
#include <QDateTime>

#include <functional>

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

    /// Gives the current day in UTC; the list shows dates only for frames of other days.
    using Today = std::function<QDate()>;

    explicit HeardFramesModel(QObject* parent = nullptr, Today today = currentDayUtc);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void append(const std::vector<ListedFrame>& frames);

    const std::vector<ListedFrame>& frames() const { return m_frames; }
    /// The telemetry line of `row`.
    QString line(int row) const;

    /// The time as the list shows it, rounded to the shown precision: the UTC time of
    /// day when known ("14:05:08"), with the month and day before it ("12-07 14:05:08")
    /// while the list holds frames of more than one day or of a day that is not today;
    /// else seconds into the recording ("12.34 s").
    QString timeText(const ListedFrame& frame) const;

    /// The SNR as the list shows it: "7.2 dB", or a bound beyond what can be measured.
    static QString snrText(double snrDb);

    static QDate currentDayUtc();

private:
    QVariant displayText(const ListedFrame& frame, int column) const;
    bool showsDates() const;

    std::vector<ListedFrame> m_frames;
    Today m_today;
    /// The first and the last UTC day of the frames with a time, when there are any.
    QDate m_firstDay;
    QDate m_lastDay;
};

} // namespace orvinta::listening
