// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmstation.h"

#include "submission/sidsclient.h"
#include "submission/station.h"
#include "submission/submissionsettings.h"
#include "windowkit/controls.h"
#include "windowkit/platformservices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace orvinta {

namespace {

constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1800;
constexpr int kEntryBoxLeft = 2040;
constexpr int kRowHeight = 480;
constexpr int kFirstRow = 144;
/// Coordinates are shown to four decimals, about 11 m, as they are submitted.
constexpr int kShownDecimals = 4;

QLabel* makeBoxLabel(QWidget* parent, const char* name, const QString& caption, int row) {
    return makeLabel(parent, name, caption,
                     {kLabelLeft, kFirstRow + 36 + row * kRowHeight, kLabelWidth, 252},
                     parent->font());
}

QString degreesText(double degrees) {
    return QString::number(degrees, 'f', kShownDecimals);
}

} // namespace

frmStation::frmStation(QWidget* parent)
    : QWidget(parent, fixedDialogFlags()) {
    setObjectName(QStringLiteral("frmStation"));
    setWindowTitle(QStringLiteral("Station"));
    fixClientSize(this, 6960, 3600);

    lblRufzeichen = makeBoxLabel(this, "lblRufzeichen", QStringLiteral("&Rufzeichen:"), 0);
    txtRufzeichen = makeBox("txtRufzeichen", {kEntryBoxLeft, kFirstRow, 1800, 336});
    lblLocator = makeBoxLabel(this, "lblLocator", QStringLiteral("&Locator:"), 1);
    txtLocator = makeBox("txtLocator", {kEntryBoxLeft, kFirstRow + kRowHeight, 1200, 336});
    lblBreite = makeBoxLabel(this, "lblBreite", QStringLiteral("&Breite (Nord +):"), 2);
    txtBreite = makeBox("txtBreite", {kEntryBoxLeft, kFirstRow + 2 * kRowHeight, 1800, 336});
    lblLaenge = makeBoxLabel(this, "lblLaenge", QStringLiteral("Län&ge (Ost +):"), 3);
    txtLaenge = makeBox("txtLaenge", {kEntryBoxLeft, kFirstRow + 3 * kRowHeight, 1800, 336});
    lblServer = makeBoxLabel(this, "lblServer", QStringLiteral("Ser&ver:"), 4);
    txtServer = makeBox("txtServer", {kEntryBoxLeft, kFirstRow + 4 * kRowHeight, 4800, 336});
    lblRufzeichen->setBuddy(txtRufzeichen);
    lblLocator->setBuddy(txtLocator);
    lblBreite->setBuddy(txtBreite);
    lblLaenge->setBuddy(txtLaenge);
    lblServer->setBuddy(txtServer);
    lblHinweis = makeLabel(this, "lblHinweis",
                           QStringLiteral("Gesendet wird nur, wenn im Empfang "
                                          "\"An SatNOGS senden\" eingeschaltet ist."),
                           {kLabelLeft, 2580, 6720, 252}, font());

    cmdSpeichern = makeButton(this, "cmdSpeichern", QStringLiteral("&Speichern"),
                              {kEntryBoxLeft, 3060, 1320, 372}, font());
    cmdAbbrechen = makeButton(this, "cmdAbbrechen", QStringLiteral("&Abbrechen"),
                              {kEntryBoxLeft + 1440, 3060, 1320, 372}, font());

    setTabChain(
        {txtRufzeichen, txtLocator, txtBreite, txtLaenge, txtServer, cmdSpeichern, cmdAbbrechen});

    connect(txtLocator, &QLineEdit::textEdited, this, &frmStation::txtLocator_Change);
    connect(txtBreite, &QLineEdit::textEdited, this, &frmStation::txtPosition_Change);
    connect(txtLaenge, &QLineEdit::textEdited, this, &frmStation::txtPosition_Change);
    connect(cmdSpeichern, &QPushButton::clicked, this, &frmStation::cmdSpeichern_Click);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &frmStation::cmdAbbrechen_Click);
}

QLineEdit* frmStation::makeBox(const char* name, const QRect& twips) {
    auto* box = new QLineEdit(this);
    placeControl(box, name, twips);
    return box;
}

void frmStation::showEvent(QShowEvent* event) {
    // Each opening shows what is saved: what was typed and not saved is gone.
    if (!event->spontaneous())
        Form_Load();
    QWidget::showEvent(event);
}

void frmStation::Form_Load() {
    const submission::SubmissionSettings saved = submission::loadSubmissionSettings();
    txtRufzeichen->setText(saved.callsign);
    txtLocator->setText(saved.locator);
    txtBreite->setText(saved.position ? degreesText(saved.position->latitude) : QString());
    txtLaenge->setText(saved.position ? degreesText(saved.position->longitude) : QString());
    txtServer->setText(saved.server);
    txtRufzeichen->setFocus();
}

void frmStation::txtLocator_Change() {
    const std::optional<submission::Position> centre =
        submission::positionFromLocator(txtLocator->text().toStdString());
    if (!centre)
        return;
    txtBreite->setText(degreesText(centre->latitude));
    txtLaenge->setText(degreesText(centre->longitude));
}

void frmStation::txtPosition_Change() {
    // A position typed by hand is no longer the centre of the locator shown.
    txtLocator->clear();
}

bool frmStation::refuse(QLineEdit* box, const QString& message) {
    showMessage(this, message, windowTitle());
    box->setFocus();
    box->selectAll();
    return false;
}

bool frmStation::takeCallsign(submission::SubmissionSettings& settings) {
    const QString callsign = txtRufzeichen->text().trimmed();
    settings.callsign.clear();
    if (callsign.isEmpty())
        return true;
    const std::optional<std::string> normalized =
        submission::normalizedCallsign(callsign.toStdString());
    if (!normalized) {
        return refuse(txtRufzeichen,
                      QStringLiteral("\"%1\" ist kein Rufzeichen (3 bis 20 Buchstaben, Ziffern "
                                     "und \"/\").")
                          .arg(callsign));
    }
    settings.callsign = QString::fromStdString(*normalized);
    return true;
}

bool frmStation::takePosition(submission::SubmissionSettings& settings) {
    const QString locator = txtLocator->text().trimmed();
    if (!locator.isEmpty() && !submission::positionFromLocator(locator.toStdString())) {
        return refuse(txtLocator, QStringLiteral("\"%1\" ist kein Maidenhead-Locator (wie "
                                                 "JN58TD).")
                                      .arg(locator));
    }
    settings.locator = locator.toUpper();
    settings.position.reset();
    if (txtBreite->text().trimmed().isEmpty() && txtLaenge->text().trimmed().isEmpty())
        return true;
    const std::optional<double> latitude =
        submission::parseDegrees(txtBreite->text().toStdString());
    const std::optional<double> longitude =
        submission::parseDegrees(txtLaenge->text().toStdString());
    if (!latitude || *latitude < -90.0 || *latitude > 90.0) {
        return refuse(txtBreite, QStringLiteral("Die Breite ist eine Zahl von -90 bis 90 "
                                                "(Grad, Nord positiv)."));
    }
    if (!longitude || *longitude < -180.0 || *longitude > 180.0) {
        return refuse(txtLaenge, QStringLiteral("Die Länge ist eine Zahl von -180 bis 180 "
                                                "(Grad, Ost positiv)."));
    }
    settings.position = submission::Position{*latitude, *longitude};
    return true;
}

void frmStation::cmdSpeichern_Click() {
    submission::SubmissionSettings settings = submission::loadSubmissionSettings();
    if (!takeCallsign(settings) || !takePosition(settings))
        return;
    if (!submission::SidsClient::usableUrl(txtServer->text().trimmed())) {
        refuse(txtServer, QStringLiteral("Der Server ist eine http- oder https-Adresse."));
        return;
    }
    settings.server = txtServer->text().trimmed();
    QString error;
    if (!submission::saveSubmissionSettings(settings, &error)) {
        showMessage(
            this,
            QStringLiteral("Die Einstellungen konnten nicht gespeichert werden:\n%1").arg(error),
            windowTitle());
        return;
    }
    hide();
}

void frmStation::cmdAbbrechen_Click() {
    hide();
}

} // namespace orvinta
