// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/historyframes.h"
#include "history/historytable.h"
#include "historycharts.h"

#include <QWidget>

#include <array>
#include <span>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

namespace orvinta {

/// The history window: the eight channels of a table file, or of frames held in
/// memory, over time, one chart per unit, with the figures of the shown range.
class frmVerlauf : public QWidget {
    Q_OBJECT

public:
    explicit frmVerlauf(QWidget* parent = nullptr);
    ~frmVerlauf() override;

    /// Reads the table file at `path` and shows it. A file that cannot be read is
    /// reported and what the window shows stays.
    bool openTable(const QString& path);
    /// Shows frames held in memory, such as those a listening window has heard;
    /// `source` names them in the window.
    void showFrames(std::span<const history::HistoryFrame> frames, const QString& source);
    /// Shows `table`, named `source`, whole and with every channel; rows that were left
    /// out are reported.
    void showTable(history::HistoryTable table, const QString& source);

    const history::HistoryTable& table() const { return m_table; }
    const history::PlotState& plotState() const { return m_state; }

    QPushButton* cmdOeffnen;
    QLabel* lblDatei;
    QLabel* lblKanaele;
    /// chkKanal1 to chkKanal8: channels 1 to 8 on or off.
    std::array<QCheckBox*, history::kChannelCount> chkKanal{};
    QLabel* lblBereich;
    QLabel* lblVon;
    QLineEdit* txtVon;
    QLabel* lblBis;
    QLineEdit* txtBis;
    QPushButton* cmdZoomen;
    QPushButton* cmdAlles;
    QPushButton* cmdPng;
    QPushButton* cmdSvg;
    QPushButton* cmdSchliessen;
    /// The charts in the order of history::kUnits: V, °C, mW, mA.
    std::array<QChartView*, history::kUnitCount> chtEinheit{};
    QTableWidget* grdStatistik;

public slots:
    void cmdOeffnen_Click();
    void chkKanal_Click();
    void cmdZoomen_Click();
    void cmdAlles_Click();
    void cmdPng_Click();
    void cmdSvg_Click();
    void cmdSchliessen_Click();
    /// A range dragged out with the mouse in one chart, for all of them.
    void chtEinheit_RangeChanged(qreal from, qreal to);

private:
    void createChannelControls();
    void createRangeControls();
    void createCharts();
    void createStatistics();
    void refresh();
    void fillStatistics();
    void reportProblems(const QString& source);
    void savePicture(const QString& title, const QString& ending, const QString& filter);
    bool readRange(history::Range* range);

    history::HistoryTable m_table;
    history::PlotState m_state;
    QString m_source;
};

} // namespace orvinta
