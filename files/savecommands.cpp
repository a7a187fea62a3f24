// SPDX-License-Identifier: GPL-3.0-or-later
#include "savecommands.h"

#include "filemessages.h"
#include "filesaving.h"
#include "windowkit/platformservices.h"

#include <QLineEdit>

namespace orvinta {

namespace {

/// The name the operator enters, or empty after telling that none was given.
QString askFileName(QWidget* parent) {
    QString name = platform().askText(parent, kFileNamePrompt, kFileNameTitle, kFileNamePreset);
    if (name.isEmpty())
        showMessage(parent, kNoFileNameMessage);
    return name;
}

void report(QWidget* parent, const SaveResult& result) {
    if (!result.saved)
        showMessage(parent, result.message);
}

} // namespace

void saveInputCommand(QWidget* parent, const QLineEdit* txtEingabe) {
    // Only a box without any character is empty; blanks are something to save.
    if (txtEingabe->text().isEmpty()) {
        showMessage(parent, kNothingToSaveMessage);
        return;
    }
    const QString name = askFileName(parent);
    if (name.isEmpty())
        return;
    report(parent, saveInputFile(name, txtEingabe->text()));
}

void saveResultCommand(QWidget* parent, const ValueSource& values) {
    if (!hasResults(values())) {
        showMessage(parent, kNothingToSaveMessage);
        return;
    }
    const QString name = askFileName(parent);
    if (name.isEmpty())
        return;
    report(parent, saveResultFile(name, values()));
}

} // namespace orvinta
