// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windowkit/windowslot.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace orvinta {

class frmAbout;
class frmAusgabe;
class frmBoxEingabe;
class frmEmpfang;
class frmInfo;
class frmIntro;
class frmlo19;
class frmOpen;
class frmSpeichern;
class frmStation;
class frmVerlauf;

/// The main window: the input line, the commands and the menu bar. It owns the one
/// instance of every other window of the program.
class frmTelemetrie : public QMainWindow {
    Q_OBJECT

public:
    /// `introIntervalMs` is how long the splash stays; tests shorten it.
    explicit frmTelemetrie(int introIntervalMs = 3000, QWidget* parent = nullptr);
    ~frmTelemetrie() override;

    /// The start-up: output window, main window, splash until it hides itself, then the
    /// frame record is reset and the output window counts as shown.
    void Form_Load();

    /// The windows, created hidden on first use.
    frmAusgabe* ausgabe();
    frmIntro* intro();
    frmInfo* info();
    frmlo19* lo19();
    frmAbout* about();
    frmOpen* openDialog();
    frmSpeichern* speichern();
    frmBoxEingabe* boxEingabe();
    frmEmpfang* empfang();
    frmVerlauf* verlauf();
    frmStation* station();
    /// The output window if it exists, without creating it.
    frmAusgabe* existingAusgabe() const;

    QLabel* lblText4;
    QLabel* lblText2;
    QLabel* lblVersion;
    QLabel* lbltext1;
    QLineEdit* txtEingabe;
    QPushButton* cmdAusgabe;
    QPushButton* cmdOK;
    QPushButton* cmdEnd;

    QMenu* mnuDatei;
    QAction* mnuOpen;
    QAction* mnuSpeichern;
    QAction* mnuSpeichernText;
    QAction* mnuEingabeSpeichern;
    QAction* mnuHoeren;
    QAction* mnuVerlauf;
    QAction* mnuStation;
    QAction* mnuBeenden;
    QMenu* mnuBearbeiten;
    QAction* mnuEingabe;
    QAction* mnuNeu;
    QAction* mnubEingabe;
    QMenu* mnuHilfe;
    QAction* mnuAbout;
    QAction* mnuInfo;
    QAction* mnuIntro;
    QAction* mnulo19;

    /// "an" while the output window is meant to be shown, "aus" while hidden; empty
    /// until the start-up ends.
    QString AusgabeStatus;

public slots:
    void cmdOK_Click();
    void cmdAusgabe_Click();
    void cmdEnd_Click();
    void mnuOpen_Click();
    void mnuSpeichern_Click();
    void mnuSpeichernText_Click();
    void mnuEingabeSpeichern_Click();
    void mnuHoeren_Click();
    void mnuVerlauf_Click();
    void mnuStation_Click();
    void mnuBeenden_Click();
    void mnuEingabe_Click();
    void mnuNeu_Click();
    void mnubEingabe_Click();
    void mnuAbout_Click();
    void mnuInfo_Click();
    void mnuIntro_Click();
    void mnulo19_Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createMenuKeys();
    void endProgram();

    WindowSlot<frmAusgabe> m_ausgabe;
    WindowSlot<frmIntro> m_intro;
    WindowSlot<frmInfo> m_info;
    WindowSlot<frmlo19> m_lo19;
    WindowSlot<frmAbout> m_about;
    WindowSlot<frmOpen> m_open;
    WindowSlot<frmSpeichern> m_speichern;
    WindowSlot<frmBoxEingabe> m_boxEingabe;
    WindowSlot<frmEmpfang> m_empfang;
    WindowSlot<frmVerlauf> m_verlauf;
    WindowSlot<frmStation> m_station;
    bool m_ending = false;
};

} // namespace orvinta
