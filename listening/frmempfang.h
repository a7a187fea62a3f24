// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/frmspeichern.h"
#include "heardframesmodel.h"
#include "listensession.h"
#include "windowkit/windowslot.h"

#include <QAudioDevice>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;

namespace orvinta {

class frmVerlauf;

namespace listening {
class FrameSharing;
class HeardFramesModel;
class WaterfallView;
} // namespace listening

/// The listening window: the operator picks a recording or an input device and starts;
/// the waterfall shows the band, the list the frames heard. "&Übernehmen" puts a frame
/// into the main window's input line; "In &Tabelle" adds frames to a table file;
/// "&Verlauf" shows them in the history window; "A&n SatNOGS senden" shares the frames
/// heard from then on with the amateur-satellite community (listening::FrameSharing). The
/// decoding runs on a thread of its own (listening::ListenSession).
class frmEmpfang : public QWidget {
    Q_OBJECT

public:
    /// `txtEingabe` is the main window's input line, which "&Übernehmen" fills; `verlauf`
    /// gives the history window, which "&Verlauf" fills.
    frmEmpfang(QLineEdit* txtEingabe, std::function<frmVerlauf*()> verlauf,
               QWidget* parent = nullptr);
    ~frmEmpfang() override;

    QRadioButton* optAufnahme;
    QLineEdit* txtDatei;
    QPushButton* cmdDurchsuchen;
    QRadioButton* optGeraet;
    QComboBox* cboGeraet;
    QPushButton* cmdStart;
    QPushButton* cmdStopp;
    QLabel* lblFortschritt;
    QProgressBar* prgFortschritt;
    QLabel* lblPegel;
    QProgressBar* prgPegel;
    QLabel* lblWasserfall;
    listening::WaterfallView* picWasserfall;
    QLabel* lblBloecke;
    /// What "In &Tabelle ..." and "&Verlauf" take: "3 von 60 ausgewählt".
    QLabel* lblAuswahl;
    QTableView* lstBloecke;
    QPushButton* cmdUebernehmen;
    QPushButton* cmdTabelle;
    QPushButton* cmdVerlauf;
    QLabel* lblStatus;
    QCheckBox* chkSatnogs;
    QLabel* lblSatnogs;

    /// The frames heard since the window was opened.
    listening::HeardFramesModel* frames() const { return m_frames; }
    listening::ListenSession* session() const { return m_session; }
    listening::FrameSharing* sharing() const { return m_sharing; }
    /// The table export of the frames, created hidden on first use.
    frmSpeichern* tabelle();

public slots:
    void cmdDurchsuchen_Click();
    void cmdStart_Click();
    void cmdStopp_Click();
    void cmdUebernehmen_Click();
    void cmdTabelle_Click();
    void cmdVerlauf_Click();
    void lstBloecke_DblClick(const QModelIndex& index);
    void cboGeraet_Click();
    void chkSatnogs_Click();
    void Session_Heard(const orvinta::listening::ListenBatch& batch);
    void Session_AudioMissing(int seconds);
    void Session_AudioBack();
    void Session_DevicesChanged(const QList<QAudioDevice>& devices);
    void Session_Ended(const orvinta::listening::ListenOutcome& outcome);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createSourceControls();
    void createRunControls();
    void createFrameControls();
    void createSharingControls();
    void connectControls();
    /// Lists `devices` in cboGeraet, the one chosen selected while it is there.
    void showDevices(const QList<QAudioDevice>& devices);
    bool startRecording();
    bool startDevice();
    /// The status while listening to the device chosen.
    QString listeningText() const;
    void setRunning(bool running);
    void updateFrameButtons();
    /// The rows of the selected frames, or of all when none is selected, in list order.
    std::vector<int> exportRows() const;
    std::vector<listening::ListedFrame> exportFrames() const;

    QPointer<QLineEdit> m_txtEingabe;
    std::function<frmVerlauf*()> m_verlauf;
    listening::HeardFramesModel* m_frames;
    listening::ListenSession* m_session;
    listening::FrameSharing* m_sharing;
    QList<QAudioDevice> m_devices;
    /// The input the operator chose (at first the system's default), kept while it is
    /// gone from the system so that it is chosen again when it comes back.
    QAudioDevice m_chosenDevice;
    std::vector<listening::ListedFrame> m_exportFrames;
    WindowSlot<frmSpeichern> m_tabelle;
};

} // namespace orvinta
