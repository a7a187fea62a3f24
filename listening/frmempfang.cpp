// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmempfang.h"

#include "charts/frmverlauf.h"
#include "framesharing.h"
#include "frametable.h"
#include "heardframesmodel.h"
#include "listenmessages.h"
#include "submission/submissionsettings.h"
#include "unreadabledelegate.h"
#include "waterfallview.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"
#include "windowkit/modal.h"
#include "windowkit/platformservices.h"
#include "windowkit/twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace orvinta {

using listening::HeardFramesModel;
using listening::ListenBatch;
using listening::ListenOutcome;

namespace {

constexpr int kClientWidth = 10560;
constexpr int kClientHeight = 8160;
constexpr int kLeft = 120;
constexpr int kFullWidth = kClientWidth - 2 * kLeft;
/// The level meter shows the peak from kMeterFloorDb up to full scale.
constexpr int kMeterFloorDb = -60;
/// Columns of the frame list in twips; the line column fits 48 characters of the
/// fixed-pitch font, the time "12-07 14:05:32", the SNR "> 60 dB", the others their
/// header.
constexpr int kTimeColumnWidth = 1680;
constexpr int kLineColumnWidth = 5520;
constexpr int kSnrColumnWidth = 1020;
constexpr int kConfidenceColumnWidth = 1080;
constexpr int kUnreadableColumnWidth = 780;
constexpr double kListPoints = 9.0;
/// Pixels between the lines of the frame list.
constexpr int kRowPadding = 6;

} // namespace

frmEmpfang::frmEmpfang(QLineEdit* txtEingabe, std::function<frmVerlauf*()> verlauf, QWidget* parent)
    : QWidget(parent, toplevelWindowFlags())
    , m_txtEingabe(txtEingabe)
    , m_verlauf(std::move(verlauf))
    , m_frames(new HeardFramesModel(this))
    , m_session(new listening::ListenSession(this))
    , m_sharing(new listening::FrameSharing(submission::journalFilePath(), {}, this))
    , m_tabelle([this] {
        // Frames of pass after pass go into one table: a table with rows is replaced
        // only when the operator says so.
        return new frmSpeichern(
            TimedRowSource([this] { return listening::frameTableRows(m_exportFrames); }),
            frmSpeichern::Replacing::AfterAsking);
    }) {
    setUpWindow(this, "frmEmpfang", QStringLiteral("Empfang"), kClientWidth, kClientHeight);
    createSourceControls();
    createRunControls();
    createFrameControls();
    createSharingControls();
    setTabChain({optAufnahme, txtDatei, cmdDurchsuchen, optGeraet, cboGeraet, cmdStart, cmdStopp,
                 lstBloecke, cmdUebernehmen, cmdTabelle, cmdVerlauf, chkSatnogs});
    connectControls();
    setRunning(false);
    lblStatus->setText(listening::kReadyStatus);
}

frmEmpfang::~frmEmpfang() = default;

frmSpeichern* frmEmpfang::tabelle() {
    return m_tabelle.get();
}

void frmEmpfang::createSourceControls() {
    optAufnahme =
        makeOption(this, "optAufnahme", QStringLiteral("&Aufnahme:"), {kLeft, 144, 1560, 288});
    optAufnahme->setChecked(true);
    txtDatei = new QLineEdit(this);
    placeControl(txtDatei, "txtDatei", {1800, 120, 6960, 336});
    cmdDurchsuchen = makeButton(this, "cmdDurchsuchen", QStringLiteral("&Durchsuchen ..."),
                                {8880, 102, 1560, 372}, font());
    optGeraet = makeOption(this, "optGeraet", QStringLiteral("&Gerät:"), {kLeft, 600, 1560, 288});
    cboGeraet = new QComboBox(this);
    placeControl(cboGeraet, "cboGeraet", {1800, 576, 6960, 336});
}

void frmEmpfang::createRunControls() {
    cmdStart =
        makeButton(this, "cmdStart", QStringLiteral("&Start"), {kLeft, 1080, 1200, 372}, font());
    cmdStopp =
        makeButton(this, "cmdStopp", QStringLiteral("Sto&pp"), {1440, 1080, 1200, 372}, font());
    lblFortschritt = makeLabel(this, "lblFortschritt", QStringLiteral("Fortschritt:"),
                               {2880, 1140, 1080, 252}, font());
    prgFortschritt = makeBar(this, "prgFortschritt", {3960, 1110, 2640, 312});
    prgFortschritt->setRange(0, 100);
    prgFortschritt->setValue(0);
    lblPegel =
        makeLabel(this, "lblPegel", QStringLiteral("Pegel:"), {6840, 1140, 720, 252}, font());
    prgPegel = makeBar(this, "prgPegel", {7560, 1110, 2880, 312});
    prgPegel->setRange(kMeterFloorDb, 0);
    prgPegel->setValue(kMeterFloorDb);
    prgPegel->setFormat(QStringLiteral("%v dB"));

    lblWasserfall = makeLabel(this, "lblWasserfall",
                              QStringLiteral("Wasserfall (200 bis 3000 Hz, das Neueste oben):"),
                              {kLeft, 1620, kFullWidth, 252}, font());
    picWasserfall = new listening::WaterfallView(this);
    placeControl(picWasserfall, "picWasserfall", {kLeft, 1920, kFullWidth, 2640});
}

void frmEmpfang::createFrameControls() {
    lblBloecke = makeLabel(this, "lblBloecke", QStringLiteral("Gehörte &Blöcke:"),
                           {kLeft, 4680, 3000, 252}, font());
    lstBloecke = new QTableView(this);
    placeControl(lstBloecke, "lstBloecke", {kLeft, 4980, kFullWidth, 2040});
    lstBloecke->setModel(m_frames);
    lstBloecke->setFont(fixedFont(kListPoints));
    lstBloecke->setItemDelegateForColumn(HeardFramesModel::LineColumn,
                                         new listening::UnreadableDelegate(lstBloecke));
    lstBloecke->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstBloecke->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstBloecke->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One tab stop: Tab enters and leaves the list, the arrow keys move within it.
    lstBloecke->setTabKeyNavigation(false);
    lstBloecke->setWordWrap(false);
    lstBloecke->verticalHeader()->hide();
    lstBloecke->verticalHeader()->setDefaultSectionSize(QFontMetrics(lstBloecke->font()).height() +
                                                        kRowPadding);
    // A font of its own, or the header takes the list's fixed-pitch font.
    lstBloecke->horizontalHeader()->setFont(sansFont(kListPoints));
    lstBloecke->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {kTimeColumnWidth, kLineColumnWidth, kSnrColumnWidth,
                          kConfidenceColumnWidth, kUnreadableColumnWidth};
    for (int column = 0; column < HeardFramesModel::ColumnCount; ++column)
        lstBloecke->setColumnWidth(column, twipsToPixels(widths[column]));
    lblBloecke->setBuddy(lstBloecke);
    lblAuswahl =
        makeLabel(this, "lblAuswahl", QString(), {3240, 4680, kFullWidth - 3120, 252}, font());
    lblAuswahl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    cmdUebernehmen = makeButton(this, "cmdUebernehmen", QStringLiteral("&Übernehmen"),
                                {kLeft, 7176, 1560, 372}, font());
    cmdTabelle = makeButton(this, "cmdTabelle", QStringLiteral("In &Tabelle ..."),
                            {1800, 7176, 1560, 372}, font());
    cmdVerlauf =
        makeButton(this, "cmdVerlauf", QStringLiteral("&Verlauf"), {3480, 7176, 1560, 372}, font());
    lblStatus = makeLabel(this, "lblStatus", QString(), {5280, 7236, 5160, 252}, font());
}

void frmEmpfang::createSharingControls() {
    chkSatnogs = new QCheckBox(QStringLiteral("A&n SatNOGS senden"), this);
    placeControl(chkSatnogs, "chkSatnogs", {kLeft, 7680, 2400, 288});
    lblSatnogs = makeLabel(this, "lblSatnogs", QString(), {2640, 7698, 7800, 252}, font());
    // As the operator left it, if a station is set.
    QString refusal;
    if (listening::FrameSharing::savedOn() && m_sharing->switchOn(&refusal))
        chkSatnogs->setChecked(true);
    lblSatnogs->setText(m_sharing->statusText());
}

void frmEmpfang::connectControls() {
    connect(cmdDurchsuchen, &QPushButton::clicked, this, &frmEmpfang::cmdDurchsuchen_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmEmpfang::cmdStart_Click);
    connect(cmdStopp, &QPushButton::clicked, this, &frmEmpfang::cmdStopp_Click);
    connect(cmdUebernehmen, &QPushButton::clicked, this, &frmEmpfang::cmdUebernehmen_Click);
    connect(cmdTabelle, &QPushButton::clicked, this, &frmEmpfang::cmdTabelle_Click);
    connect(cmdVerlauf, &QPushButton::clicked, this, &frmEmpfang::cmdVerlauf_Click);
    connect(lstBloecke, &QTableView::doubleClicked, this, &frmEmpfang::lstBloecke_DblClick);
    connect(cboGeraet, &QComboBox::activated, this, &frmEmpfang::cboGeraet_Click);
    connect(chkSatnogs, &QCheckBox::clicked, this, &frmEmpfang::chkSatnogs_Click);
    connect(m_sharing, &listening::FrameSharing::changed, lblSatnogs,
            [this] { lblSatnogs->setText(m_sharing->statusText()); });
    connect(txtDatei, &QLineEdit::textEdited, optAufnahme,
            [this] { optAufnahme->setChecked(true); });
    connect(lstBloecke->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmEmpfang::updateFrameButtons);
    connect(m_frames, &HeardFramesModel::rowsInserted, this, &frmEmpfang::updateFrameButtons);
    connect(m_session, &listening::ListenSession::heard, this, &frmEmpfang::Session_Heard);
    connect(m_session, &listening::ListenSession::audioMissing, this,
            &frmEmpfang::Session_AudioMissing);
    connect(m_session, &listening::ListenSession::audioBack, this, &frmEmpfang::Session_AudioBack);
    connect(m_session, &listening::ListenSession::devicesChanged, this,
            &frmEmpfang::Session_DevicesChanged);
    connect(m_session, &listening::ListenSession::ended, this, &frmEmpfang::Session_Ended);
}

void frmEmpfang::showEvent(QShowEvent* event) {
    m_session->watchDevices();
    showDevices(m_session->devices());
    QWidget::showEvent(event);
}

void frmEmpfang::Session_DevicesChanged(const QList<QAudioDevice>& devices) {
    showDevices(devices);
}

void frmEmpfang::showDevices(const QList<QAudioDevice>& devices) {
    if (m_chosenDevice.isNull())
        m_chosenDevice = listening::ListenSession::defaultInputDevice();
    m_devices = devices;
    int chosen = -1;
    cboGeraet->clear();
    for (const QAudioDevice& device : m_devices) {
        cboGeraet->addItem(device.description());
        if (device.id() == m_chosenDevice.id())
            chosen = cboGeraet->count() - 1;
    }
    if (m_chosenDevice.isNull() && !m_devices.isEmpty()) {
        chosen = 0;
        m_chosenDevice = m_devices.front();
    }
    // A chosen device that is gone leaves the choice empty rather than listening to
    // another one unasked.
    cboGeraet->setCurrentIndex(chosen);
}

void frmEmpfang::cboGeraet_Click() {
    optGeraet->setChecked(true);
    const int index = cboGeraet->currentIndex();
    if (index >= 0 && index < m_devices.size())
        m_chosenDevice = m_devices[index];
}

void frmEmpfang::chkSatnogs_Click() {
    if (!chkSatnogs->isChecked()) {
        m_sharing->switchOff();
        return;
    }
    QString refusal;
    if (!m_sharing->switchOn(&refusal)) {
        chkSatnogs->setChecked(false);
        showMessage(this, refusal);
    }
}

void frmEmpfang::cmdDurchsuchen_Click() {
    const QString path = platform().askOpenFileName(this, listening::kChooseRecordingTitle,
                                                    listening::kRecordingFilter);
    if (path.isEmpty())
        return;
    txtDatei->setText(path);
    optAufnahme->setChecked(true);
}

void frmEmpfang::cmdStart_Click() {
    if (m_session->isRunning())
        return;
    const bool started = optGeraet->isChecked() ? startDevice() : startRecording();
    if (started)
        setRunning(true);
}

bool frmEmpfang::startRecording() {
    if (txtDatei->text().isEmpty())
        cmdDurchsuchen_Click();
    const QString path = txtDatei->text();
    if (path.isEmpty())
        return false;
    picWasserfall->clear();
    prgFortschritt->setValue(0);
    prgFortschritt->setRange(0, 100);
    lblStatus->setText(listening::kRecordingStatus);
    m_session->startRecording(path);
    return true;
}

bool frmEmpfang::startDevice() {
    if (m_devices.isEmpty())
        showDevices(listening::ListenSession::inputDevices());
    const int index = cboGeraet->currentIndex();
    if (index >= 0 && index < m_devices.size())
        m_chosenDevice = m_devices[index];
    // A chosen device that has gone is tried all the same: the session tells that it is
    // gone.
    if (m_chosenDevice.isNull()) {
        showMessage(this, listening::kNoInputDeviceMessage);
        return false;
    }
    picWasserfall->clear();
    prgFortschritt->setValue(0);
    lblStatus->setText(listeningText());
    m_session->startDevice(m_chosenDevice);
    return true;
}

QString frmEmpfang::listeningText() const {
    return listening::listeningStatus(m_chosenDevice.description());
}

void frmEmpfang::cmdStopp_Click() {
    if (!m_session->isRunning())
        return;
    lblStatus->setText(listening::kStoppingStatus);
    m_session->stop();
}

void frmEmpfang::Session_Heard(const ListenBatch& batch) {
    const int first = m_frames->rowCount();
    m_frames->append(batch.frames);
    m_sharing->share(batch.frames);
    picWasserfall->addRows(batch.rows, batch.secondsPerRow);
    picWasserfall->addTones(batch.tones);
    for (std::size_t i = 0; i < batch.frames.size(); ++i) {
        const cw::HeardFrame& frame = batch.frames[i].heard;
        picWasserfall->markFrame(first + static_cast<int>(i) + 1, frame.seconds, frame.endSeconds,
                                 frame.toneHz);
    }
    if (batch.progress)
        prgFortschritt->setValue(static_cast<int>(std::lround(100.0 * *batch.progress)));
    if (batch.levelDb)
        prgPegel->setValue(
            std::clamp(static_cast<int>(std::lround(*batch.levelDb)), kMeterFloorDb, 0));
    if (!batch.frames.empty())
        lstBloecke->scrollToBottom();
}

void frmEmpfang::Session_AudioMissing(int seconds) {
    lblStatus->setText(listening::audioMissingStatus(seconds));
    prgPegel->setValue(kMeterFloorDb);
    picWasserfall->showSilence(seconds);
}

void frmEmpfang::Session_AudioBack() {
    lblStatus->setText(listeningText());
}

void frmEmpfang::Session_Ended(const ListenOutcome& outcome) {
    setRunning(false);
    prgPegel->setValue(kMeterFloorDb);
    const QString heard = listening::framesListedText(m_frames->rowCount());
    switch (outcome.kind) {
    case ListenOutcome::Kind::Completed:
        lblStatus->setText(listening::kCompletedStatus + heard);
        break;
    case ListenOutcome::Kind::Stopped:
        lblStatus->setText(listening::kStoppedStatus + heard);
        break;
    case ListenOutcome::Kind::Failed:
        lblStatus->setText(listening::kFailedStatus + heard);
        showMessage(this, outcome.message);
        break;
    }
}

void frmEmpfang::setRunning(bool running) {
    for (QWidget* source : std::initializer_list<QWidget*>{optAufnahme, txtDatei, cmdDurchsuchen,
                                                           optGeraet, cboGeraet, cmdStart})
        source->setEnabled(!running);
    cmdStopp->setEnabled(running);
    updateFrameButtons();
}

void frmEmpfang::updateFrameButtons() {
    cmdUebernehmen->setEnabled(lstBloecke->selectionModel()->hasSelection());
    cmdTabelle->setEnabled(m_frames->rowCount() > 0);
    cmdVerlauf->setEnabled(m_frames->rowCount() > 0);
    lblAuswahl->setText(listening::selectionText(
        static_cast<int>(lstBloecke->selectionModel()->selectedRows().size()),
        m_frames->rowCount()));
}

void frmEmpfang::cmdUebernehmen_Click() {
    const QModelIndex current = lstBloecke->currentIndex();
    if (current.isValid())
        lstBloecke_DblClick(current);
}

void frmEmpfang::lstBloecke_DblClick(const QModelIndex& index) {
    // As loading a file does: the line goes into the input line, nothing is computed.
    if (!index.isValid() || m_txtEingabe.isNull())
        return;
    m_txtEingabe->setText(m_frames->line(index.row()));
}

std::vector<int> frmEmpfang::exportRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : lstBloecke->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (rows.empty()) {
        for (int row = 0; row < m_frames->rowCount(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<listening::ListedFrame> frmEmpfang::exportFrames() const {
    std::vector<listening::ListedFrame> chosen;
    for (const int row : exportRows())
        chosen.push_back(m_frames->frames()[static_cast<std::size_t>(row)]);
    return chosen;
}

void frmEmpfang::cmdTabelle_Click() {
    m_exportFrames = exportFrames();
    showModal(tabelle());
}

void frmEmpfang::cmdVerlauf_Click() {
    const std::vector<listening::ListedFrame> chosen = exportFrames();
    // Shown first, so that what the history window has to tell stands over it.
    frmVerlauf* window = m_verlauf();
    bringToFront(window);
    window->showFrames(listening::historyFrames(chosen), QStringLiteral("Empfang"));
}

void frmEmpfang::closeEvent(QCloseEvent* event) {
    // Closing stops the listening and hides the window; the frames heard stay for the
    // next opening and go only with the program.
    m_session->stop();
    event->ignore();
    hide();
}

} // namespace orvinta
