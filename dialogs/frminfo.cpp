// SPDX-License-Identifier: GPL-3.0-or-later
#include "frminfo.h"

#include "infowindow.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>
#include <QPushButton>

namespace orvinta {

namespace {

constexpr double kDialogPoints = 8.25;

struct Paragraph {
    const char* name;
    int top;
    int height;
    const char* text;
};

constexpr std::array<Paragraph, 7> kParagraphs{{
    {"Label1", 120, 612,
     "LUSAT-OSCAR 19 (LO-19) sendet auf 437,125 MHz kurze Telemetrieblöcke in Morsetelegrafie. "
     "Damit eignet er sich gut für erste Beobachtungen, für Einsteiger in den Satellitenfunk "
     "und für einfache Vorführungen."},
    {"Label2", 840, 852,
     "Außer dem Dopplereffekt lassen sich mit LO-19 Funktion und Bedeutung von "
     "Telemetrieaussendungen ohne besonderen Decoder zeigen. Die Signale sind kräftig genug, "
     "um sie mit einem SSB/CW-Empfänger an einer kleinen, nachgeführten Yagi-Antenne "
     "mitzuschreiben."},
    {"Label3", 1680, 492,
     "Die Telemetrieblöcke hanen folgendes Schema: E LUSAT HI HI 6O AVT ABA AU4 AD4 AA4 ABT "
     "TTU AEE"},
    {"Label4", 2160, 612,
     "Die Ziffer hinter dem HI zeigt den verwendeten E-PROM-Block für das Betriebssystem an, "
     "das \"O\" steht für \"ok\", das heißt das RAM der CPU wurde nicht durch Strahlung "
     "beschädigt."},
    {"Label5", 2880, 492,
     "Dann folgen acht analoge Werte (X) in verkürzter Morseschrift: A=1 - U=2 - V=3 - 4=4 - "
     "E=5 - 6=6 - B=7 - D=8 - N=9 - T=0"},
    {"Label6", 3480, 492,
     "Die einzelnen Werte (X) müssen noch nach den folgenden Gleichungen umgerechnet werden:"},
    {"Label7", 6360, 252, "Quelle: eigene Zusammenstellung des Orvinta-Projekts"},
}};

// Label8 holds line -1- and Label15 line -8-; the blanks line the columns up in a
// fixed-pitch font.
constexpr std::array<const char*, 8> kFormulaLines{
    "-1- +5V reguliert       636/X           in V",
    "-2- +10V Batterie       0,064*X         in V",
    "-3- CW-TX-Temperatur    0,354*(134,7-X) in °C",
    "-4- CW-TX-Power-Out     (10,9+X)^2/40,1 in mW",
    "-5- Temperatur Box 4    0,356*(136-X)   in °C",
    "-6- +10V Strom          0,7*X           in mA",
    "-7- +Z-Solarpanel       0,15*X          in V",
    "-8- +8,5V reguliert     0,056*X         in V",
};

constexpr int kClientWidth = 6732;
constexpr int kFormulaLeft = 840;

} // namespace

frmInfo::frmInfo(QWidget* parent)
    : QWidget(parent, fixedDialogFlags()) {
    setUpWindow(this, "frmInfo", QStringLiteral("Info"), kClientWidth, 7296);

    const QFont dialogFont = sansFont(kDialogPoints);
    for (std::size_t i = 0; i < kParagraphs.size(); ++i) {
        const Paragraph& p = kParagraphs[i];
        paragraphs[i] = makeLabel(this, p.name, QString::fromUtf8(p.text),
                                  {120, p.top, 6372, p.height}, dialogFont);
        paragraphs[i]->setWordWrap(true);
    }

    // A TrueType fixed-pitch font is wider than the old bitmap Courier; the formula lines
    // reach to the right margin so that their last column is not cut off.
    const int formulaWidth = kClientWidth - 120 - kFormulaLeft;
    const QFont courier = fixedFont(kFormPoints);
    for (std::size_t i = 0; i < kFormulaLines.size(); ++i) {
        const QByteArray name = "Label" + QByteArray::number(static_cast<int>(i) + 8);
        formulaLines[i] =
            makeLabel(this, name.constData(), QString::fromUtf8(kFormulaLines[i]),
                      {kFormulaLeft, 4080 + 240 * static_cast<int>(i), formulaWidth, 252}, courier);
    }

    cmdOK = makeOkButton(this, 2640, 6720, sansFont(kFormPoints, FontStyle::Bold));
    connect(cmdOK, &QPushButton::clicked, this, &frmInfo::cmdOK_Click);
}

void frmInfo::cmdOK_Click() {
    hide();
}

} // namespace orvinta
