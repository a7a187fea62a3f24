// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmlo19.h"

#include "infowindow.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>
#include <QPushButton>

#include <array>

namespace orvinta {

namespace {

struct FactLine {
    const char* name;
    const char* text;
    int width;
};

// Top to bottom, one every 360 twips; several texts end in a blank.
constexpr std::array<FactLine, 11> kFactLines{{
    {"Label8", "Name: LUSAT-OSCAR 19 aka LUSAT ", 5052},
    {"Label9", "NASA Katalog Nummer: 20442 ", 5052},
    {"Label10", "Rufzeichen:  Barke: LUSAT-11;  PR: LUSAT-12 ", 5052},
    {"Label11", "Gestarted: 22. Januar 1990 ", 5052},
    {"Label12", "Startrakete: Ariane 4 ", 5052},
    {"Label13", "Startplatz: Kourou, Französisch Guiana ", 5052},
    {"Label15", "Gewicht: 13.76 kg. ", 5052},
    {"Label14", "Umlaufbahn: sonnensynchron, erdnah  LEO (Low Earth Orbit)", 7332},
    {"Label1", "Inklination: 98 Grad", 5052},
    {"Label2", "Größe: 150 x 150 x 150 mm ", 5052},
    {"Label3", "Umlaufzeit: 100,8 Minuten", 5052},
}};

} // namespace

frmlo19::frmlo19(QWidget* parent)
    : QWidget(parent, fixedDialogFlags()) {
    setUpWindow(this, "frmlo19", QStringLiteral("LO-19"), 5760, 4980);

    const QFont font = sansFont(kFormPoints);
    int top = 240;
    for (const FactLine& line : kFactLines) {
        factLines.push_back(makeLabel(this, line.name, QString::fromUtf8(line.text),
                                      {240, top, line.width, 252}, font));
        top += 360;
    }

    cmdOK = makeOkButton(this, 2280, 4440, sansFont(kFormPoints, FontStyle::Bold));
    connect(cmdOK, &QPushButton::clicked, this, &frmlo19::cmdOK_Click);
}

void frmlo19::cmdOK_Click() {
    hide();
}

} // namespace orvinta
