// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmverlauf.h"

#include "chartexport.h"
#include "history/rangetext.h"
#include "history/statisticstext.h"

#include "decoder/counttext.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"
#include "windowkit/platformservices.h"
#include "windowkit/twips.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QValueAxis>

#include <algorithm>
#include <utility>

namespace orvinta {

using namespace history;

namespace {

constexpr double kPoints = 8.25;

// The window in twips: the controls on the left, the charts two by two on the right,
// the statistics below them.
constexpr int kClientWidth = 13200;
constexpr int kClientHeight = 9480;
constexpr int kLeft = 120;
constexpr int kPanelWidth = 2640;
constexpr int kButtonHeight = 372;
constexpr int kChannelTop = 900;
constexpr int kChannelPitch = 330;
constexpr int kChartsLeft = 2880;
constexpr int kChartsTop = 480;
constexpr int kChartWidth = 5100;
constexpr int kChartHeight = 3060;
constexpr int kStatisticsTop = kChartsTop + 2 * kChartHeight + 120;
constexpr int kStatisticsRowHeight = 264;
/// The table's frame above and below its rows.
constexpr int kStatisticsFrame = 60;

/// How many rows a message names before it only counts the rest.
constexpr int kNamedProblems = 10;
/// The side of the colour mark before a channel's name, in pixels.
constexpr int kColourMark = 12;

const std::array<const char*, kUnitCount> kChartNames{"chtSpannungen", "chtTemperaturen",
                                                      "chtLeistung", "chtStrom"};
const QStringList kStatisticsHeader{QStringLiteral("Kanal"),   QStringLiteral("Werte"),
                                    QStringLiteral("FEHLER"),  QStringLiteral("Minimum"),
                                    QStringLiteral("Maximum"), QStringLiteral("Mittel")};
constexpr std::array<int, 6> kStatisticsWidths{3000, 1200, 1200, 1560, 1560, 1560};

QPixmap colourMark(std::size_t channel) {
    QPixmap mark(kColourMark, kColourMark);
    mark.fill(channelColour(channel));
    return mark;
}

} // namespace

frmVerlauf::frmVerlauf(QWidget* parent)
    : QWidget(parent, toplevelWindowFlags()) {
    setUpWindow(this, "frmVerlauf", QStringLiteral("Verlauf"), kClientWidth, kClientHeight);

    const QFont font = sansFont(kPoints);
    cmdOeffnen = makeButton(this, "cmdOeffnen", QStringLiteral("&Tabelle öffnen ..."),
                            {kLeft, 120, kPanelWidth, kButtonHeight}, font);
    lblDatei =
        makeLabel(this, "lblDatei", QStringLiteral("Keine Tabelle geöffnet."),
                  {kChartsLeft, 180, 2 * kChartWidth, 252}, sansFont(kPoints, FontStyle::Bold));
    createChannelControls();
    createRangeControls();
    cmdSchliessen =
        makeButton(this, "cmdSchliessen", QStringLiteral("S&chließen"),
                   {kLeft, kClientHeight - 120 - kButtonHeight, kPanelWidth, kButtonHeight}, font);
    createCharts();
    createStatistics();

    setTabChain({cmdOeffnen, chkKanal[0], chkKanal[1], chkKanal[2], chkKanal[3], chkKanal[4],
                 chkKanal[5], chkKanal[6], chkKanal[7], txtVon, txtBis, cmdZoomen, cmdAlles, cmdPng,
                 cmdSvg, cmdSchliessen, grdStatistik});
    cmdOeffnen->setFocus();

    connect(cmdOeffnen, &QPushButton::clicked, this, &frmVerlauf::cmdOeffnen_Click);
    connect(cmdZoomen, &QPushButton::clicked, this, &frmVerlauf::cmdZoomen_Click);
    connect(cmdAlles, &QPushButton::clicked, this, &frmVerlauf::cmdAlles_Click);
    connect(cmdPng, &QPushButton::clicked, this, &frmVerlauf::cmdPng_Click);
    connect(cmdSvg, &QPushButton::clicked, this, &frmVerlauf::cmdSvg_Click);
    connect(cmdSchliessen, &QPushButton::clicked, this, &frmVerlauf::cmdSchliessen_Click);
    refresh();
}

frmVerlauf::~frmVerlauf() = default;

void frmVerlauf::createChannelControls() {
    lblKanaele = makeLabel(this, "lblKanaele", QStringLiteral("Kanäle:"),
                           {kLeft, 600, kPanelWidth, 252}, sansFont(kPoints, FontStyle::Bold));
    for (std::size_t k = 0; k < history::kChannelCount; ++k) {
        // The digit is the access key: Alt+1 to Alt+8 switch the channels.
        auto* box = new QCheckBox(QStringLiteral("&") + channelCaption(k), this);
        box->setObjectName(QStringLiteral("chkKanal%1").arg(k + 1));
        box->setGeometry(
            twipsRect(kLeft, kChannelTop + static_cast<int>(k) * kChannelPitch, kPanelWidth, 288));
        box->setFont(sansFont(kPoints));
        box->setIcon(QIcon(colourMark(k)));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &frmVerlauf::chkKanal_Click);
        chkKanal[k] = box;
    }
}

void frmVerlauf::createRangeControls() {
    const QFont font = sansFont(kPoints);
    lblBereich = makeLabel(this, "lblBereich", QStringLiteral("Bereich:"),
                           {kLeft, 3720, kPanelWidth, 252}, sansFont(kPoints, FontStyle::Bold));
    lblVon = makeLabel(this, "lblVon", QStringLiteral("&Von:"), {kLeft, 4050, 480, 252}, font);
    txtVon = new QLineEdit(this);
    placeControl(txtVon, "txtVon", {600, 4020, kPanelWidth - 480, 312});
    txtVon->setFont(font);
    lblVon->setBuddy(txtVon);
    lblBis = makeLabel(this, "lblBis", QStringLiteral("&Bis:"), {kLeft, 4440, 480, 252}, font);
    txtBis = new QLineEdit(this);
    placeControl(txtBis, "txtBis", {600, 4410, kPanelWidth - 480, 312});
    txtBis->setFont(font);
    lblBis->setBuddy(txtBis);

    cmdZoomen = makeButton(this, "cmdZoomen", QStringLiteral("Bereich &zeigen"),
                           {kLeft, 4860, kPanelWidth, kButtonHeight}, font);
    cmdAlles = makeButton(this, "cmdAlles", QStringLiteral("&Alles zeigen"),
                          {kLeft, 5340, kPanelWidth, kButtonHeight}, font);
    cmdPng = makeButton(this, "cmdPng", QStringLiteral("Als &PNG speichern ..."),
                        {kLeft, 5940, kPanelWidth, kButtonHeight}, font);
    cmdSvg = makeButton(this, "cmdSvg", QStringLiteral("Als SV&G speichern ..."),
                        {kLeft, 6420, kPanelWidth, kButtonHeight}, font);
}

void frmVerlauf::createCharts() {
    for (std::size_t i = 0; i < kUnitCount; ++i) {
        auto* chart = new QChart;
        chart->setMargins(QMargins(2, 2, 2, 2));
        chart->setBackgroundRoundness(0);
        auto* view = new QChartView(chart, this);
        view->setObjectName(QString::fromLatin1(kChartNames[i]));
        const int column = static_cast<int>(i % 2);
        const int row = static_cast<int>(i / 2);
        view->setGeometry(twipsRect(kChartsLeft + column * kChartWidth,
                                    kChartsTop + row * kChartHeight, kChartWidth, kChartHeight));
        view->setRenderHint(QPainter::Antialiasing);
        view->setRubberBand(QChartView::HorizontalRubberBand);
        view->setFocusPolicy(Qt::NoFocus);
        chtEinheit[i] = view;
    }
}

void frmVerlauf::createStatistics() {
    grdStatistik = new QTableWidget(static_cast<int>(history::kChannelCount),
                                    static_cast<int>(kStatisticsHeader.size()), this);
    grdStatistik->setObjectName(QStringLiteral("grdStatistik"));
    grdStatistik->setFont(sansFont(kPoints));
    grdStatistik->setHorizontalHeaderLabels(kStatisticsHeader);
    grdStatistik->verticalHeader()->hide();
    grdStatistik->verticalHeader()->setDefaultSectionSize(twipsToPixels(kStatisticsRowHeight));
    grdStatistik->horizontalHeader()->setFixedHeight(twipsToPixels(kStatisticsRowHeight));
    grdStatistik->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdStatistik->setSelectionMode(QAbstractItemView::NoSelection);
    grdStatistik->setTabKeyNavigation(false);
    grdStatistik->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdStatistik->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdStatistik->horizontalHeader()->setStretchLastSection(true);
    for (std::size_t c = 0; c < kStatisticsWidths.size(); ++c)
        grdStatistik->setColumnWidth(static_cast<int>(c), twipsToPixels(kStatisticsWidths[c]));
    const int height =
        (static_cast<int>(history::kChannelCount) + 1) * kStatisticsRowHeight + kStatisticsFrame;
    grdStatistik->setGeometry(twipsRect(kChartsLeft, kStatisticsTop, 2 * kChartWidth, height));
    for (std::size_t k = 0; k < history::kChannelCount; ++k) {
        auto* caption = new QTableWidgetItem(
            QIcon(colourMark(k)),
            QStringLiteral("%1 (%2)").arg(channelCaption(k), unitCaption(kChannels[k].unit)));
        grdStatistik->setItem(static_cast<int>(k), 0, caption);
        for (int c = 1; c < grdStatistik->columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdStatistik->setItem(static_cast<int>(k), c, item);
        }
    }
}

bool frmVerlauf::openTable(const QString& path) {
    HistoryTable table;
    std::string reason;
    if (!loadTable(QFile::encodeName(path).toStdString(), &table, &reason)) {
        showMessage(this, QStringLiteral("Die Tabelle %1 kann nicht gelesen werden:\n%2.")
                              .arg(QDir::toNativeSeparators(path), QString::fromStdString(reason)));
        return false;
    }
    showTable(std::move(table), QFileInfo(path).fileName());
    return true;
}

void frmVerlauf::showFrames(std::span<const HistoryFrame> frames, const QString& source) {
    showTable(tableFromFrames(frames), source);
}

void frmVerlauf::showTable(HistoryTable table, const QString& source) {
    m_table = std::move(table);
    m_state = fullView(m_table);
    m_source = source;
    QString summary = QStringLiteral("%1: %2").arg(
        source, QString::fromStdString(
                    countText(static_cast<long long>(m_table.size()), "Zeile", "Zeilen")));
    if (!m_table.problems.empty())
        summary += QStringLiteral(", %1 übersprungen").arg(m_table.problems.size());
    if (m_table.rowsWithoutTime > 0)
        summary += QStringLiteral(", %1 ohne Zeit nicht gezeigt").arg(m_table.rowsWithoutTime);
    lblDatei->setText(summary);
    for (QCheckBox* box : chkKanal) {
        const QSignalBlocker quiet(box);
        box->setChecked(true);
    }
    refresh();
    reportProblems(source);
}

void frmVerlauf::reportProblems(const QString& source) {
    const std::vector<RowProblem>& problems = m_table.problems;
    if (problems.empty()) {
        if (m_table.size() == 0)
            showMessage(this, QStringLiteral("%1 enthält keine Zeilen mit Werten.").arg(source));
        return;
    }
    QString text = problems.size() == 1
                       ? QStringLiteral("In %1 wurde eine Zeile übersprungen:").arg(source)
                       : QStringLiteral("In %1 wurden %2 Zeilen übersprungen:")
                             .arg(source)
                             .arg(problems.size());
    const std::size_t named = std::min<std::size_t>(problems.size(), kNamedProblems);
    for (std::size_t i = 0; i < named; ++i) {
        text += QStringLiteral("\nZeile %1: %2")
                    .arg(problems[i].line)
                    .arg(QString::fromStdString(problems[i].reason));
    }
    if (problems.size() > named)
        text += QStringLiteral("\n... und %1 weitere.").arg(problems.size() - named);
    showMessage(this, text);
}

void frmVerlauf::refresh() {
    const bool shown = m_table.size() > 0;
    for (QPushButton* button : {cmdZoomen, cmdAlles, cmdPng, cmdSvg})
        button->setEnabled(shown);
    txtVon->setEnabled(shown);
    txtBis->setEnabled(shown);
    for (std::size_t i = 0; i < kUnitCount; ++i) {
        QChart* chart = chtEinheit[i]->chart();
        drawUnitChart(chart, kUnits[i], m_table, m_state, chtEinheit[i]->width(), Legend::Hidden);
        // Drawing made a new x axis; follow the ranges the mouse drags out on it.
        for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
            connect(qobject_cast<QValueAxis*>(axis), &QValueAxis::rangeChanged, this,
                    &frmVerlauf::chtEinheit_RangeChanged, Qt::QueuedConnection);
        }
    }
    txtVon->setText(shown ? QString::fromStdString(rangeEndText(m_table.axis, m_state.range.from))
                          : QString());
    txtBis->setText(shown ? QString::fromStdString(rangeEndText(m_table.axis, m_state.range.to))
                          : QString());
    fillStatistics();
}

void frmVerlauf::fillStatistics() {
    const auto figures = statistics(m_table, m_state.range);
    for (std::size_t k = 0; k < history::kChannelCount; ++k) {
        const auto texts = statisticsTexts(figures[k]);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            grdStatistik->item(static_cast<int>(k), static_cast<int>(c) + 1)
                ->setText(m_table.size() > 0 ? QString::fromStdString(texts[c]) : QString());
        }
    }
}

void frmVerlauf::cmdOeffnen_Click() {
    const QString path =
        platform().askOpenFileName(this, QStringLiteral("Tabelle öffnen"),
                                   QStringLiteral("Tabellen (*.txt *.TXT);;Alle Dateien (*)"));
    if (!path.isEmpty())
        openTable(path);
}

void frmVerlauf::chkKanal_Click() {
    for (std::size_t k = 0; k < history::kChannelCount; ++k)
        m_state.shown[k] = chkKanal[k]->isChecked();
    refresh();
}

bool frmVerlauf::readRange(Range* range) {
    std::string reason;
    const std::optional<double> from =
        readRangeEnd(m_table.axis, txtVon->text().toStdString(), &reason);
    if (!from) {
        showMessage(this, QStringLiteral("Von: %1").arg(QString::fromStdString(reason)));
        txtVon->setFocus();
        return false;
    }
    const std::optional<double> to =
        readRangeEnd(m_table.axis, txtBis->text().toStdString(), &reason);
    if (!to) {
        showMessage(this, QStringLiteral("Bis: %1").arg(QString::fromStdString(reason)));
        txtBis->setFocus();
        return false;
    }
    if (*to < *from) {
        showMessage(this, QStringLiteral("Der Bereich endet vor seinem Anfang."));
        txtBis->setFocus();
        return false;
    }
    *range = {*from, *to};
    return true;
}

void frmVerlauf::cmdZoomen_Click() {
    Range range;
    if (!readRange(&range))
        return;
    m_state.range = range;
    refresh();
}

void frmVerlauf::cmdAlles_Click() {
    m_state.range = fullRange(m_table);
    refresh();
}

void frmVerlauf::chtEinheit_RangeChanged(qreal from, qreal to) {
    if (m_table.size() == 0 || to <= from || Range{from, to} == m_state.range)
        return;
    m_state.range = {from, to};
    refresh();
}

void frmVerlauf::cmdPng_Click() {
    savePicture(QStringLiteral("Diagramme als PNG speichern"), QStringLiteral(".png"),
                QStringLiteral("PNG-Bilder (*.png)"));
}

void frmVerlauf::cmdSvg_Click() {
    savePicture(QStringLiteral("Diagramme als SVG speichern"), QStringLiteral(".svg"),
                QStringLiteral("SVG-Bilder (*.svg)"));
}

void frmVerlauf::savePicture(const QString& title, const QString& ending, const QString& filter) {
    const QString base =
        m_source.isEmpty() ? QStringLiteral("verlauf") : QFileInfo(m_source).completeBaseName();
    QString path = platform().askSaveFileName(this, title, base + ending, filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(ending, Qt::CaseInsensitive))
        path += ending;
    QString error;
    if (!writePicture(path, kPictureSize, m_table, m_state, &error)) {
        showMessage(this, QStringLiteral("Die Datei %1 kann nicht geschrieben werden:\n%2.")
                              .arg(QDir::toNativeSeparators(path), error));
    }
}

void frmVerlauf::cmdSchliessen_Click() {
    hide();
}

} // namespace orvinta
