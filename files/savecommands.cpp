// SPDX-License-Identifier: GPL-3.0-or-later
#include "savecommands.h"

#include "filemessages.h"
#include "filesaving.h"
#include "windowkit/platformservices.h"

#include <QLineEdit>

#include <functional>

namespace orvinta {

namespace {

/// Asks for a file name and saves under it with `save`; tells the operator when no name
/// was given or the file was not saved.
void saveUnderAskedName(QWidget* parent,
                        const std::function<SaveResult(const QString& name)>& save) {
    const QString name =
        platform().askText(parent, kFileNamePrompt, kFileNameTitle, kFileNamePreset);
    if (name.isEmpty()) {
        showMessage(parent, kNoFileNameMessage);
        return;
    }
    const SaveResult result = save(name);
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
    saveUnderAskedName(parent, [txtEingabe](const QString& name) {
        return saveInputFile(name, txtEingabe->text());
    });
}

void saveResultCommand(QWidget* parent, const ValueSource& values) {
    if (!hasResults(values())) {
        showMessage(parent, kNothingToSaveMessage);
        return;
    }
    saveUnderAskedName(parent,
                       [&values](const QString& name) { return saveResultFile(name, values()); });
}

} // namespace orvinta
