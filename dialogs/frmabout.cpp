// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmabout.h"

#include "resources/pictures.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace orvinta {

namespace {

constexpr int kLabelWidth = 4092;

QLabel* centredLine(QWidget* parent, const char* name, const QString& text, int top, int height,
                    const QFont& font) {
    QLabel* label = makeLabel(parent, name, text, {0, top, kLabelWidth, height}, font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, fixedDialogFlags()) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Über"));
    setProgramIcon(this);
    fixClientSize(this, 4116, 4008);

    const QFont small = sansFont(kFormPoints);
    lblText1 = centredLine(this, "lblText1", QStringLiteral("LUSAT OSCAR 19"), 240, 492,
                           sansFont(18, FontStyle::Bold));
    lblText2 = centredLine(this, "lblText2", QStringLiteral("Orvinta"), 720, 492,
                           sansFont(13.8, FontStyle::Bold));
    lblVersion = centredLine(this, "lblVersion", QStringLiteral("Version: 6.1"), 1200, 252, small);

    imgLogo = makeLabel(this, "imgLogo", QString(), {1320, 1680, 1332, 564}, small);
    imgLogo->setPixmap(QPixmap(pictures::logo()));
    imgLogo->setScaledContents(true);

    lbltext4 = centredLine(this, "lbltext4", QStringLiteral("Das Orvinta-Team"), 2280, 252, small);
    // The installed documentation is the one address we can vouch for.
    lblText5 = centredLine(this, "lblText5", QStringLiteral("file:///usr/share/doc/orvinta"), 2760,
                           252, small);
    lblText3 =
        centredLine(this, "lblText3", QStringLiteral("© 2026 Orvinta-Team"), 3120, 252, small);

    cmdOK = makeButton(this, "cmdOK", QStringLiteral("&OK"), {1560, 3480, 972, 372}, small);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::cmdOK_Click() {
    hide();
}

} // namespace orvinta
