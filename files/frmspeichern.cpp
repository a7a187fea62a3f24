// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmspeichern.h"

#include "fileextensions.h"
#include "filemessages.h"
#include "filesaving.h"
#include "windowkit/controls.h"
#include "windowkit/platformservices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <limits>
#include <utility>

namespace orvinta {

namespace {

std::vector<TableExportRow> untimed(const std::vector<DisplayTexts>& rows) {
    std::vector<TableExportRow> result;
    result.reserve(rows.size());
    for (const DisplayTexts& texts : rows)
        result.push_back({{}, texts});
    return result;
}

} // namespace

frmSpeichern::frmSpeichern(ValueSource values, QWidget* parent)
    : frmSpeichern(RowSource([values = std::move(values)]() -> std::vector<DisplayTexts> {
                       DisplayTexts texts = values();
                       if (!hasResults(texts))
                           return {};
                       return {std::move(texts)};
                   }),
                   parent) {
}

frmSpeichern::frmSpeichern(RowSource rows, QWidget* parent)
    : frmSpeichern(TimedRowSource([rows = std::move(rows)] { return untimed(rows()); }),
                   Replacing::AtOnce, parent) {
}

frmSpeichern::frmSpeichern(TimedRowSource rows, Replacing replacing, QWidget* parent)
    : QWidget(parent, fixedDialogFlags())
    , m_rows(std::move(rows))
    , m_replacing(replacing) {
    setObjectName(QStringLiteral("frmSpeichern"));
    setWindowTitle(QStringLiteral("Speichern"));
    fixClientSize(this, 5892, 2784);

    const QFont font = this->font();
    lblText1 = makeLabel(this, "lblText1", QStringLiteral("Bitte geben sie einen Dateinamen ein:"),
                         {120, 120, 3732, 252}, font);

    txtDateiname = new QLineEdit(kFileNamePreset, this);
    placeControl(txtDateiname, "txtDateiname", {120, 480, 4812, 288});
    txtDateiname->setMaxLength(std::numeric_limits<int>::max());

    lblText2 = makeLabel(
        this, "lblText2",
        QStringLiteral("Möchten Sie eine neue Tabelle beginnen, oder eine vorhandene verlängern?"),
        {120, 960, 5652, 252}, font);

    // Both option buttons have this window as parent, so they form one group.
    optNeueTabelle =
        makeOption(this, "optNeueTabelle", QStringLiteral("Eine neue Tabelle beginnen"),
                   {120, 1320, 2532, 252});
    optNeueTabelle->setChecked(true);
    optalteTabelle =
        makeOption(this, "optalteTabelle", QStringLiteral("eine vorhandene Tabelle verlängern"),
                   {120, 1680, 3132, 252});

    cmdSpeichern = makeButton(this, "cmdSpeichern", QStringLiteral("&Speichern"),
                              {1680, 2160, 972, 372}, font);
    cmdAbbruch =
        makeButton(this, "cmdAbbruch", QStringLiteral("&Abbrechen"), {2760, 2160, 972, 372}, font);

    // The option group is one tab stop, entered at the chosen option: Qt takes the other
    // option out of the tab chain once the chosen one has the focus.
    setTabChain({optalteTabelle, optNeueTabelle, txtDateiname, cmdSpeichern, cmdAbbruch});
    optNeueTabelle->setFocus();

    connect(cmdSpeichern, &QPushButton::clicked, this, &frmSpeichern::cmdSpeichern_Click);
    connect(cmdAbbruch, &QPushButton::clicked, this, &frmSpeichern::cmdAbbruch_Click);
}

void frmSpeichern::cmdSpeichern_Click() {
    const std::vector<TableExportRow> rows = m_rows();
    if (rows.empty()) {
        showMessage(this, kNothingToSaveMessage);
        return;
    }
    // The box keeps the name as typed; the extension is completed only for saving.
    const QString name = txtDateiname->text();
    if (name.isEmpty()) {
        showMessage(this, kNoFileNameMessage);
        hide();
        return;
    }
    const TableMode mode =
        optNeueTabelle->isChecked() ? TableMode::NewTable : TableMode::ExtendTable;
    if (mode == TableMode::NewTable && !mayReplace(completeTextFileName(name)))
        return;
    const SaveResult result = exportTableRows(name, mode, rows);
    if (!result.saved) {
        // The dialog stays open so that the name can be corrected.
        showMessage(this, result.message);
        return;
    }
    hide();
}

bool frmSpeichern::mayReplace(const QString& fileName) {
    if (m_replacing == Replacing::AtOnce)
        return true;
    const qsizetype rows = tableRowCount(fileName);
    if (rows == 0)
        return true;
    // "Nein" leaves the file as it is and the dialog open, to extend the table instead.
    return platform().askYesNo(this, replaceTableQuestion(fileName, rows), windowTitle());
}

void frmSpeichern::cmdAbbruch_Click() {
    hide();
}

} // namespace orvinta
