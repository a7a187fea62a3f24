// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmboxeingabe.h"

#include "groupline.h"
#include "windowkit/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace orvinta {

namespace {

constexpr int kBoxTop = 1404;
constexpr int kBoxHeight = 288;

QLineEdit* makeBox(QWidget* parent, const char* name, int left, int width) {
    auto* box = new QLineEdit(parent);
    placeControl(box, name, {left, kBoxTop, width, kBoxHeight});
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

} // namespace

frmBoxEingabe::frmBoxEingabe(QLineEdit* txtEingabe, QWidget* parent)
    // A window of its own with a taskbar entry, a close box and no other frame button.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_txtEingabe(txtEingabe) {
    setObjectName(QStringLiteral("frmBoxEingabe"));
    setWindowTitle(QStringLiteral("LUSAT OSCAR 19 Telemetrie"));
    fixClientSize(this, 5772, 1764);

    const QFont font = this->font();
    lblText = makeLabel(this, "lblText", QStringLiteral("Eingabe:"), {120, 120, 4452, 1092}, font);
    lbl1 = makeFramedLabel(this, "lbl1", QStringLiteral("E LUSAT HI HI"),
                           {120, kBoxTop, 1212, kBoxHeight}, font, Qt::white);
    lbl1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette black = lbl1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lbl1->setPalette(black);

    // Each box overlaps its left neighbour by 12 twips; txt2 to txt9 start 480 apart.
    txt1 = makeBox(this, "txt1", 1320, 372);
    txt2 = makeBox(this, "txt2", 1680, 492);
    txt3 = makeBox(this, "txt3", 2160, 492);
    txt4 = makeBox(this, "txt4", 2640, 492);
    txt5 = makeBox(this, "txt5", 3120, 492);
    txt6 = makeBox(this, "txt6", 3600, 492);
    txt7 = makeBox(this, "txt7", 4080, 492);
    txt8 = makeBox(this, "txt8", 4560, 492);
    txt9 = makeBox(this, "txt9", 5040, 612);

    cmdOK = makeButton(this, "cmdOK", QStringLiteral("OK"), {4680, 120, 972, 372}, font);
    cmdAbbrechen =
        makeButton(this, "cmdAbbrechen", QStringLiteral("Abbrechen"), {4680, 600, 972, 372}, font);

    setTabChain({txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8, txt9, cmdOK, cmdAbbrechen});
    txt1->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmBoxEingabe::cmdOK_Click);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &frmBoxEingabe::cmdAbbrechen_Click);
}

std::array<QLineEdit*, 9> frmBoxEingabe::boxes() const {
    return {txt1, txt2, txt3, txt4, txt5, txt6, txt7, txt8, txt9};
}

void frmBoxEingabe::cmdOK_Click() {
    GroupTexts groups;
    const std::array<QLineEdit*, 9> all = boxes();
    for (std::size_t i = 0; i < all.size(); ++i)
        groups[i] = all[i]->text();
    groups = checkedGroups(groups);

    if (!m_txtEingabe.isNull())
        m_txtEingabe->setText(groupLine(lbl1->text(), groups));
    for (QLineEdit* box : all)
        box->clear();
    hide();
}

void frmBoxEingabe::cmdAbbrechen_Click() {
    hide();
}

} // namespace orvinta
