// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmabout.h"

#include "infowindow.h"
#include "resources/pictures.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace orvinta {

namespace {

constexpr int kLabelWidth = 4092;
constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;

QLabel* centredLine(QWidget* parent, const char* name, const QString& text, int top, int height,
                    const QFont& font) {
    QLabel* label = makeLabel(parent, name, text, {0, top, kLabelWidth, height}, font);
    label->setAlignment(kCentred);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, fixedDialogFlags()) {
    setUpWindow(this, "frmAbout", QStringLiteral("Über"), 4116, 4008);

    const QFont small = sansFont(kFormPoints);
    const TitleLines title =
        makeTitleLines(this, {0, 240, kLabelWidth, 492}, {0, 720, kLabelWidth, 492});
    lblText1 = title.satellite;
    lblText2 = title.program;
    for (QLabel* line : {lblText1, lblText2})
        line->setAlignment(kCentred);
    lblVersion = centredLine(this, "lblVersion", QStringLiteral("Version: 6.1"), 1200, 252, small);

    imgLogo = makePicture(this, "imgLogo", QPixmap(pictures::logo()), {1320, 1680, 1332, 564});

    lbltext4 = centredLine(this, "lbltext4", QStringLiteral("Das Orvinta-Team"), 2280, 252, small);
    // The installed documentation is the one address we can vouch for.
    lblText5 = centredLine(this, "lblText5", QStringLiteral("file:///usr/share/doc/orvinta"), 2760,
                           252, small);
    lblText3 =
        centredLine(this, "lblText3", QStringLiteral("© 2026 Orvinta-Team"), 3120, 252, small);

    cmdOK = makeOkButton(this, 1560, 3480, small);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::cmdOK_Click() {
    hide();
}

} // namespace orvinta
