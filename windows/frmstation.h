// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvinta {

namespace submission {
struct SubmissionSettings;
} // namespace submission

/// The station that submissions name: callsign and position, the position typed as
/// latitude and longitude or as a Maidenhead locator (whose centre fills them), and the
/// SiDS server. "&Speichern" keeps them in the user's settings, which orvinta-cw reads
/// too.
class frmStation : public QWidget {
    Q_OBJECT

public:
    explicit frmStation(QWidget* parent = nullptr);

    QLabel* lblRufzeichen;
    QLineEdit* txtRufzeichen;
    QLabel* lblLocator;
    QLineEdit* txtLocator;
    QLabel* lblBreite;
    QLineEdit* txtBreite;
    QLabel* lblLaenge;
    QLineEdit* txtLaenge;
    QLabel* lblServer;
    QLineEdit* txtServer;
    QLabel* lblHinweis;
    QPushButton* cmdSpeichern;
    QPushButton* cmdAbbrechen;

public slots:
    void Form_Load();
    void txtLocator_Change();
    void txtPosition_Change();
    void cmdSpeichern_Click();
    void cmdAbbrechen_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* makeBox(const char* name, const QRect& twips);
    /// Refuses the entry in `box` with `message`; false.
    bool refuse(QLineEdit* box, const QString& message);
    /// Take the boxes into `settings`; false when one is refused.
    bool takeCallsign(submission::SubmissionSettings& settings);
    bool takePosition(submission::SubmissionSettings& settings);
};

} // namespace orvinta
