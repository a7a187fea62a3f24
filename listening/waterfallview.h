// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "waterfall.h"

#include "cw/cwdecoder.h"

#include <QImage>
#include <QWidget>

#include <deque>
#include <utility>
#include <vector>

class QPainter;

namespace orvinta::listening {

/// Shows the waterfall: frequency from left (200 Hz) to right (3000 Hz), time downwards
/// with the newest row at the top. Each keyed tone the decoder follows is traced by a
/// thin line; each frame heard is marked by a bracket beside its tone over the time it
/// took, with its number in the list where it does not cover another number. A stretch
/// in which no audio arrived stays on the time axis as grey rows marked "Keine
/// Audiodaten".
class WaterfallView : public QWidget {
    Q_OBJECT

public:
    /// Rows kept and shown; the widget stretches them over its height.
    static constexpr int kHistoryRows = 240;

    explicit WaterfallView(QWidget* parent = nullptr);

    /// Forgets rows and marks, for a new listening.
    void clear();
    /// Adds rows in time order; where a row starts later than the last one ended, grey
    /// rows stand for the time between.
    void addRows(const std::vector<WaterfallRow>& rows, double secondsPerRow);
    /// No audio arrived for `seconds` after the last row: grey rows up to now.
    void showSilence(double seconds);
    /// Marks frame `number` of the list, heard from `startSeconds` to `endSeconds`.
    void markFrame(int number, double startSeconds, double endSeconds, double toneHz);
    /// Adds moments of the tones the decoder follows, in stream order.
    void addTones(const std::vector<cw::FollowedTone>& tones);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    /// Rows that stand for time without audio.
    int silentRowCount() const;
    /// The numbers of the frame marks labelled, and where their labels stand.
    std::vector<std::pair<int, QRectF>> frameLabels() const;
    int markCount() const { return static_cast<int>(m_marks.size()); }
    /// Moments of followed tones kept for the rows shown.
    const std::deque<cw::FollowedTone>& tones() const { return m_tones; }
    /// The picture of the rows as shown, before scaling and marks.
    const QImage& picture() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Mark {
        int number;
        double startSeconds;
        double endSeconds;
        double toneHz;
    };

    void rebuildImage();
    /// Adds grey rows from the newest row up to `seconds`.
    void bridgeTo(double seconds);
    void pushRow(WaterfallRow row);
    void paintSilence(QPainter& painter) const;
    QRectF spectrumArea() const;
    /// The x of a frequency and the y of a moment in spectrumArea().
    double xOf(double hz) const;
    double yOf(double seconds) const;
    void paintMarks(QPainter& painter) const;
    void paintTones(QPainter& painter) const;
    /// Forgets tones older than the oldest row kept.
    void dropHiddenTones();
    void paintAxis(QPainter& painter) const;

    std::deque<WaterfallRow> m_rows;
    double m_secondsPerRow = 0.0;
    /// Where the audio of the newest row with audio ends.
    double m_audioEnd = 0.0;
    std::vector<Mark> m_marks;
    std::deque<cw::FollowedTone> m_tones;
    QImage m_image;
    std::vector<QRgb> m_colours;
};

} // namespace orvinta::listening
